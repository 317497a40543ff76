#include "shell/MainLayout.h"

#include <vector>

#include "session/Connections.h"

namespace {

// The connection radio buttons are placed by the connection table.
const ControlPlace kPlaces[] = {
    {u"lblLanguage", nullptr, {20, 347, 96, 13}},
    {u"pbSchedule", nullptr, {24, 318, 649, 17}},
    {u"btnPrevious", nullptr, {264, 354, 97, 42}},
    {u"btnNext", nullptr, {367, 354, 98, 42}},
    {u"btnQuit", nullptr, {575, 354, 98, 42}},
    {u"btnStartInstall", nullptr, {471, 354, 98, 42}},
    {u"pcPage", nullptr, {20, 22, 653, 290}},
    {u"tbsWelcome", u"pcPage", {0, 0, 645, 280}},
    {u"lblWelcome", u"tbsWelcome", {16, 24, 626, 25}},
    {u"ImgCompanyLogo", u"tbsWelcome", {256, 71, 141, 139}},
    {u"tbsPort", u"pcPage", {0, 0, 645, 280}},
    {u"tbsNet", u"pcPage", {0, 0, 645, 280}},
    {u"lblNetIP", u"tbsNet", {59, 73, 37, 13}},
    {u"meText", u"tbsNet", {76, 92, 168, 31}},
    {u"tbsUSB", u"pcPage", {0, 0, 645, 280}},
    {u"lblUSBTitle", u"tbsUSB", {14, 32, 49, 13}},
    {u"cbUSB", u"tbsUSB", {14, 51, 145, 21}},
    {u"btnFindUSB", u"tbsUSB", {202, 43, 119, 38}},
    {u"gbUSBprompt", u"tbsUSB", {14, 87, 595, 168}},
    {u"lblUSBPrompt", u"gbUSBprompt", {28, 30, 63, 13}},
    {u"tbsRs232", u"pcPage", {0, 0, 645, 280}},
    {u"lblRs232", u"tbsRs232", {69, 71, 40, 13}},
    {u"cbRs232", u"tbsRs232", {69, 102, 145, 21}},
    {u"tbsLpt", u"pcPage", {0, 0, 645, 280}},
    {u"lblLpt", u"tbsLpt", {69, 73, 25, 13}},
    {u"cbLpt", u"tbsLpt", {69, 103, 145, 21}},
    {u"tbsDriveNameSelect", u"pcPage", {0, 0, 645, 280}},
    {u"lblPrintModelSelect", u"tbsDriveNameSelect", {116, 40, 89, 13}},
    {u"chkPrintSelect", u"tbsDriveNameSelect", {116, 67, 269, 142}},
    {u"rbChinese", nullptr, {26, 366, 58, 17}},
    {u"rbEnglish", nullptr, {84, 366, 70, 17}},
    {u"StatusBar1", nullptr, {0, 406, 690, 32}},
    {u"cbPortList", nullptr, {0, 0, 0, 0}},
    {u"cbPrintList", nullptr, {0, 0, 0, 0}},
    {u"btnAbout", nullptr, {160, 354, 98, 42}},
    {u"lblWeb", u"tbsWelcome", {3, 234, 639, 13}},
    {u"rbPOS", nullptr, {0, 0, 0, 0}},
    {u"rbLabel", nullptr, {0, 0, 0, 0}},
};

const std::vector<ControlPlace>& Places() {
    static const std::vector<ControlPlace> places = [] {
        std::vector<ControlPlace> all(std::begin(kPlaces), std::end(kPlaces));
        for (const ConnectionType& type : ConnectionTypes())
            all.push_back({type.radio, u"tbsPort", type.radioBounds});
        return all;
    }();
    return places;
}

} // namespace

const ControlPlace& MainPlace(StringView name) {
    const std::vector<ControlPlace>& places = Places();
    return ui::FindPlace(places.data(), places.data() + places.size(), name);
}
