#include "language/BuiltInText.h"

#include "language/Languages.h"

String InDisplayLanguage(const BuiltInText& text) {
    return text.*DisplayLanguage().builtInText;
}

const Refusal kMissingFiles = {
    {u"Warning", u"警告"},
    {u"Missing system core files, driver installation wizard cannot run, installation "
     u"failed\uFF01\uFF01",
     u"缺少系统核心文件，驱动安装向导无法运行，安装失败！！"}};
const Refusal kIntegrity = {
    {u"Warning", u"警告"},
    {u"The validation of the configuration file failed. The file may have been illegally "
     u"modified, and the installation tool will be forced to exit!",
     u"配制文件效验失败，文件可能被非法修改，安装工具将强制退出！"}};

const BuiltInText kNoInstallLog = {u"No install log is written: ", u"未写入安装日志："};
const BuiltInText kDefaultPrinterPerUser = {
    u"The default printer is chosen per user; the system account has none, so it is left as it "
    u"is.",
    u"默认打印机按用户设置；系统帐户没有默认打印机，因此不作更改。"};
