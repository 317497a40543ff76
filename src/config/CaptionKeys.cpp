#include "config/CaptionKeys.h"

#include <stdexcept>

#include "config/untIni.h"
#include "session/Languages.h"

namespace {

// 31, 67 and 73 to 75 are in the vendors' kits but no part of the wizard reads them.
const CaptionKey kTable[] = {
    // clang-format off
    {u"CAPTION_1"},  {u"CAPTION_2"},  {u"CAPTION_3"},  {u"CAPTION_4"},  {u"CAPTION_5"},
    {u"CAPTION_6"},  {u"CAPTION_7"},  {u"CAPTION_8"},  {u"CAPTION_9"},  {u"CAPTION_10"},
    {u"CAPTION_11"}, {u"CAPTION_12"}, {u"CAPTION_13"}, {u"CAPTION_14"}, {u"CAPTION_15"},
    {u"CAPTION_16"}, {u"CAPTION_17"}, {u"CAPTION_18"}, {u"CAPTION_19"}, {u"CAPTION_20"},
    {u"CAPTION_21"}, {u"CAPTION_22"}, {u"CAPTION_23"}, {u"CAPTION_24"}, {u"CAPTION_25"},
    {u"CAPTION_26"}, {u"CAPTION_27"}, {u"CAPTION_28"}, {u"CAPTION_29"}, {u"CAPTION_30"},
    {u"CAPTION_32"}, {u"CAPTION_33"}, {u"CAPTION_34"}, {u"CAPTION_35"}, {u"CAPTION_36"},
    {u"CAPTION_37"}, {u"CAPTION_38"}, {u"CAPTION_39"}, {u"CAPTION_40"}, {u"CAPTION_41"},
    {u"CAPTION_42"}, {u"CAPTION_43"}, {u"CAPTION_44"}, {u"CAPTION_45"}, {u"CAPTION_46"},
    {u"CAPTION_47"}, {u"CAPTION_48"}, {u"CAPTION_49"}, {u"CAPTION_50"}, {u"CAPTION_51"},
    {u"CAPTION_52"}, {u"CAPTION_53"}, {u"CAPTION_54"}, {u"CAPTION_55"}, {u"CAPTION_56"},
    {u"CAPTION_57"}, {u"CAPTION_58"}, {u"CAPTION_59"}, {u"CAPTION_60"}, {u"CAPTION_61"},
    {u"CAPTION_62"}, {u"CAPTION_63"}, {u"CAPTION_64"}, {u"CAPTION_65"}, {u"CAPTION_66"},
    {u"CAPTION_68"}, {u"CAPTION_69"}, {u"CAPTION_70"}, {u"CAPTION_71"}, {u"CAPTION_72"},
    {u"CAPTION_76"},
    // clang-format on
    // Keys added after the first kits shipped: older kits lack them, so the wizard brings its
    // own texts.
    {u"CAPTION_77",
     u"Installation failed, no printer of this name was set up with the chosen port and its "
     u"driver: ",
     u"安装失败，未按所选端口和驱动安装此名称的打印机："},
    {u"CAPTION_78",
     u"Check that the driver file in the EN and CN folders names this model and that the port "
     u"exists.",
     u"请检查EN和CN文件夹中的驱动文件是否包含此型号，以及端口是否存在。"},
    {u"CAPTION_79",
     u"Installation refused: a double quote (\") cannot be passed to the printer setup command. "
     u"It appears in: ",
     u"拒绝安装：双引号（\"）无法传给打印机安装命令，以下名称中含有双引号："},
    {u"CAPTION_80",
     u"Please search for the USB printer first: the model to install is the one the search "
     u"finds.",
     u"请先搜索USB打印机：安装的型号是搜索找到的型号。"},
    {u"CAPTION_81",
     u"Installation refused: this name cannot be passed to the printer setup command (it ends in "
     u"a backslash, or the driver file name holds a folder): ",
     u"拒绝安装：此名称无法传给打印机安装命令（以反斜杠结尾，或驱动文件名中含有文件夹）："},
    {u"CAPTION_82", u"Open the install log", u"打开安装日志"},
    // The test receipt after an installation ([CONFIG] TestPrint).
    {u"CAPTION_83", u"The printer is installed. Print a test receipt now?",
     u"打印机已安装。现在打印一张测试小票吗？"},
    {u"CAPTION_84", u"Printing a test receipt...", u"正在打印测试小票……"},
    {u"CAPTION_85", u"The test receipt was printed.", u"测试小票已打印。"},
    {u"CAPTION_86", u"The test receipt failed: ", u"测试小票打印失败："},
    {u"CAPTION_87",
     u"The test receipt is still waiting in the printer's queue: check that the printer is on, "
     u"connected and has paper.",
     u"测试小票仍在打印队列中等待：请检查打印机是否开机、已连接并有纸。"},
    {u"CAPTION_88", u"Test receipt: this printer is installed and prints.",
     u"测试小票：打印机已安装，可以正常打印。"},
    // What a screen reader says for the pictures, which have no text of their own.
    {u"CAPTION_89", u"Vendor logo", u"厂商标志"},
    {u"CAPTION_90", u"QR code", u"二维码"},
};

} // namespace

const std::vector<CaptionKey>& CaptionKeys() {
    static const std::vector<CaptionKey> keys(std::begin(kTable), std::end(kTable));
    return keys;
}

const CaptionKey& CaptionKeyOf(StringView key) {
    for (const CaptionKey& row : kTable)
        if (SameText(row.key, key)) return row;
    throw std::logic_error("caption key " + ToUtf8(key) + " is not in the caption key table");
}

String CaptionText(const String& section, StringView key) {
    const CaptionKey& row = CaptionKeyOf(key);
    String text = IniOptions->GetIdentValue(section, String(key));
    if (!text.empty() || !row.HasBuiltInText()) return text;
    return InDisplayLanguage(row.Text());
}
