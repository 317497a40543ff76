#include "config/CaptionKeys.h"

#include <stdexcept>

#include "config/untIni.h"
#include "language/Languages.h"
#include "language/untLanguages.h"

namespace caption {

// 31, 67 and 73 to 75 are in the vendors' kits but no part of the wizard reads them. The keys
// from 77 on were added after the first kits shipped: older kits lack them, so the wizard brings
// its own texts.
const CaptionKey kLanguageLabel{u"CAPTION_1"};
const CaptionKey kNetworkRadio{u"CAPTION_2"};
const CaptionKey kUsbRadio{u"CAPTION_3"};
const CaptionKey kSerialRadio{u"CAPTION_4"};
const CaptionKey kParallelRadio{u"CAPTION_5"};
const CaptionKey kAddressLabel{u"CAPTION_6"};
const CaptionKey kUsbPortLabel{u"CAPTION_7"};
const CaptionKey kMessageTitle{u"CAPTION_8"};
const CaptionKey kUsbPrompt{u"CAPTION_9"};
const CaptionKey kSerialPortLabel{u"CAPTION_10"};
const CaptionKey kParallelPortLabel{u"CAPTION_11"};
const CaptionKey kAboutButton{u"CAPTION_12"};
const CaptionKey kPreviousButton{u"CAPTION_13"};
const CaptionKey kNextButton{u"CAPTION_14"};
const CaptionKey kInstallButton{u"CAPTION_15"};
const CaptionKey kQuitButton{u"CAPTION_16"};
const CaptionKey kFindUsbButton{u"CAPTION_17"};
const CaptionKey kStatusReady{u"CAPTION_18"};
const CaptionKey kModelLabel{u"CAPTION_19"};
const CaptionKey kWindowTitle{u"CAPTION_20"};
const CaptionKey kWelcome{u"CAPTION_21"};
const CaptionKey kWebLink{u"CAPTION_22"};
const CaptionKey kUsbNotFoundPrompt{u"CAPTION_23"};
const CaptionKey kUsbNotFoundStatus{u"CAPTION_24"};
const CaptionKey kUsbNotFound{u"CAPTION_25"};
const CaptionKey kNoModelChosen{u"CAPTION_26"};
const CaptionKey kUsbFound{u"CAPTION_27"};
const CaptionKey kUsbSearchHeading{u"CAPTION_28"};
const CaptionKey kInvalidAddress{u"CAPTION_29"};
const CaptionKey kPortExists{u"CAPTION_30"};
const CaptionKey kPortCreated{u"CAPTION_32"};
const CaptionKey kPortFailedTitle{u"CAPTION_33"};
const CaptionKey kPrinterExists{u"CAPTION_34"};
const CaptionKey kUsbSearchDone{u"CAPTION_35"};
const CaptionKey kUsbAccepted{u"CAPTION_36"};
const CaptionKey kUsbMatched{u"CAPTION_37"};
const CaptionKey kUsbMatching{u"CAPTION_38"};
const CaptionKey kUsbReading{u"CAPTION_39"};
const CaptionKey kUsbAsking{u"CAPTION_40"};
const CaptionKey kUsbSearchStart{u"CAPTION_41"};
const CaptionKey kInstallDoneTitle{u"CAPTION_42"};
const CaptionKey kQuitQuestion{u"CAPTION_43"};
const CaptionKey kInstallDone{u"CAPTION_44"};
const CaptionKey kSetupCommandDone{u"CAPTION_45"};
const CaptionKey kSetupCommandRunning{u"CAPTION_46"};
const CaptionKey kInstallHeading{u"CAPTION_47"};
const CaptionKey kPortCreationTitle{u"CAPTION_48"};
const CaptionKey kSpoolerStarting{u"CAPTION_49"};
const CaptionKey kPortCreationHeading{u"CAPTION_50"};
const CaptionKey kWaitButton{u"CAPTION_51"};
const CaptionKey kSpoolerStarted{u"CAPTION_52"};
const CaptionKey kSetupCommandPreparing{u"CAPTION_53"};
const CaptionKey kDefaultQuestionEnd{u"CAPTION_54"};
const CaptionKey kDefaultQuestionStart{u"CAPTION_55"};
const CaptionKey kPortSpoolerStopping{u"CAPTION_56"};
const CaptionKey kPortSpoolerStopped{u"CAPTION_57"};
const CaptionKey kPortKeyOpened{u"CAPTION_58"};
const CaptionKey kPortLineStart{u"CAPTION_59"};
const CaptionKey kPortLineEnd{u"CAPTION_60"};
const CaptionKey kAboutServiceTel{u"CAPTION_61"};
const CaptionKey kAboutQQ{u"CAPTION_62"};
const CaptionKey kAboutWeb{u"CAPTION_63"};
const CaptionKey kAboutAddress{u"CAPTION_64"};
const CaptionKey kAboutTel{u"CAPTION_65"};
const CaptionKey kAboutFax{u"CAPTION_66"};
const CaptionKey kRemovingDriver{u"CAPTION_68"};
const CaptionKey kDriverRemoved{u"CAPTION_69"};
const CaptionKey kCreatingPort{u"CAPTION_70"};
const CaptionKey kPortFailed{u"CAPTION_71"};
const CaptionKey kPortFailedHint{u"CAPTION_72"};
const CaptionKey kAutoQuit{u"CAPTION_76"};
const CaptionKey kNotInstalled{
    u"CAPTION_77",
    u"Installation failed, no printer of this name was set up with the chosen port and its "
    u"driver: ",
    u"安装失败，未按所选端口和驱动安装此名称的打印机："};
const CaptionKey kNotInstalledHint{
    u"CAPTION_78",
    u"Check that the driver file in the EN and CN folders names this model and that the port "
    u"exists.",
    u"请检查EN和CN文件夹中的驱动文件是否包含此型号，以及端口是否存在。"};
const CaptionKey kDoubleQuote{
    u"CAPTION_79",
    u"Installation refused: a double quote (\") cannot be passed to the printer setup command. "
    u"It appears in: ",
    u"拒绝安装：双引号（\"）无法传给打印机安装命令，以下名称中含有双引号："};
const CaptionKey kSearchFirst{
    u"CAPTION_80",
    u"Please search for the USB printer first: the model to install is the one the search "
    u"finds.",
    u"请先搜索USB打印机：安装的型号是搜索找到的型号。"};
const CaptionKey kUnsafeValue{
    u"CAPTION_81",
    u"Installation refused: this name cannot be passed to the printer setup command (it ends in "
    u"a backslash, or the driver file name holds a folder): ",
    u"拒绝安装：此名称无法传给打印机安装命令（以反斜杠结尾，或驱动文件名中含有文件夹）："};
const CaptionKey kOpenLog{u"CAPTION_82", u"Open the install log", u"打开安装日志"};
const CaptionKey kTestPrintQuestion{u"CAPTION_83",
                                    u"The printer is installed. Print a test receipt now?",
                                    u"打印机已安装。现在打印一张测试小票吗？"};
const CaptionKey kTestPrintSending{u"CAPTION_84", u"Printing a test receipt...",
                                   u"正在打印测试小票……"};
const CaptionKey kTestPrintPrinted{u"CAPTION_85", u"The test receipt was printed.",
                                   u"测试小票已打印。"};
const CaptionKey kTestPrintFailed{u"CAPTION_86", u"The test receipt failed: ",
                                  u"测试小票打印失败："};
const CaptionKey kTestPrintQueued{
    u"CAPTION_87",
    u"The test receipt is still waiting in the printer's queue: check that the printer is on, "
    u"connected and has paper.",
    u"测试小票仍在打印队列中等待：请检查打印机是否开机、已连接并有纸。"};
const CaptionKey kTestPrintLine{u"CAPTION_88",
                                u"Test receipt: this printer is installed and prints.",
                                u"测试小票：打印机已安装，可以正常打印。"};
// What a screen reader says for the pictures, which have no text of their own.
const CaptionKey kLogoName{u"CAPTION_89", u"Vendor logo", u"厂商标志"};
const CaptionKey kQrName{u"CAPTION_90", u"QR code", u"二维码"};
const CaptionKey kPortNotListed{
    u"CAPTION_91", u"Installation refused: this port is not one of this computer's ports: ",
    u"拒绝安装：此端口不是本计算机的端口："};

} // namespace caption

namespace {

const CaptionKey* const kTable[] = {
    &caption::kLanguageLabel,
    &caption::kNetworkRadio,
    &caption::kUsbRadio,
    &caption::kSerialRadio,
    &caption::kParallelRadio,
    &caption::kAddressLabel,
    &caption::kUsbPortLabel,
    &caption::kMessageTitle,
    &caption::kUsbPrompt,
    &caption::kSerialPortLabel,
    &caption::kParallelPortLabel,
    &caption::kAboutButton,
    &caption::kPreviousButton,
    &caption::kNextButton,
    &caption::kInstallButton,
    &caption::kQuitButton,
    &caption::kFindUsbButton,
    &caption::kStatusReady,
    &caption::kModelLabel,
    &caption::kWindowTitle,
    &caption::kWelcome,
    &caption::kWebLink,
    &caption::kUsbNotFoundPrompt,
    &caption::kUsbNotFoundStatus,
    &caption::kUsbNotFound,
    &caption::kNoModelChosen,
    &caption::kUsbFound,
    &caption::kUsbSearchHeading,
    &caption::kInvalidAddress,
    &caption::kPortExists,
    &caption::kPortCreated,
    &caption::kPortFailedTitle,
    &caption::kPrinterExists,
    &caption::kUsbSearchDone,
    &caption::kUsbAccepted,
    &caption::kUsbMatched,
    &caption::kUsbMatching,
    &caption::kUsbReading,
    &caption::kUsbAsking,
    &caption::kUsbSearchStart,
    &caption::kInstallDoneTitle,
    &caption::kQuitQuestion,
    &caption::kInstallDone,
    &caption::kSetupCommandDone,
    &caption::kSetupCommandRunning,
    &caption::kInstallHeading,
    &caption::kPortCreationTitle,
    &caption::kSpoolerStarting,
    &caption::kPortCreationHeading,
    &caption::kWaitButton,
    &caption::kSpoolerStarted,
    &caption::kSetupCommandPreparing,
    &caption::kDefaultQuestionEnd,
    &caption::kDefaultQuestionStart,
    &caption::kPortSpoolerStopping,
    &caption::kPortSpoolerStopped,
    &caption::kPortKeyOpened,
    &caption::kPortLineStart,
    &caption::kPortLineEnd,
    &caption::kAboutServiceTel,
    &caption::kAboutQQ,
    &caption::kAboutWeb,
    &caption::kAboutAddress,
    &caption::kAboutTel,
    &caption::kAboutFax,
    &caption::kRemovingDriver,
    &caption::kDriverRemoved,
    &caption::kCreatingPort,
    &caption::kPortFailed,
    &caption::kPortFailedHint,
    &caption::kAutoQuit,
    &caption::kNotInstalled,
    &caption::kNotInstalledHint,
    &caption::kDoubleQuote,
    &caption::kSearchFirst,
    &caption::kUnsafeValue,
    &caption::kOpenLog,
    &caption::kTestPrintQuestion,
    &caption::kTestPrintSending,
    &caption::kTestPrintPrinted,
    &caption::kTestPrintFailed,
    &caption::kTestPrintQueued,
    &caption::kTestPrintLine,
    &caption::kLogoName,
    &caption::kQrName,
    &caption::kPortNotListed,
};

} // namespace

const std::vector<CaptionKey>& CaptionKeys() {
    static const std::vector<CaptionKey> keys = [] {
        std::vector<CaptionKey> rows;
        for (const CaptionKey* row : kTable)
            rows.push_back(*row);
        return rows;
    }();
    return keys;
}

const CaptionKey& CaptionKeyOf(StringView key) {
    for (const CaptionKey* row : kTable)
        if (SameText(row->key, key)) return *row;
    throw std::logic_error("caption key " + ToUtf8(key) + " is not in the caption key table");
}

String CaptionText(const String& section, const CaptionKey& key) {
    String text = IniOptions->GetIdentValue(section, key.key);
    if (!text.empty() || !key.HasBuiltInText()) return text;
    return InDisplayLanguage(key.Text());
}

String CaptionText(const String& section, StringView key) {
    return CaptionText(section, CaptionKeyOf(key));
}

String CaptionOrBuiltIn(const CaptionKey& key) {
    return CaptionText(LCaption, key);
}
