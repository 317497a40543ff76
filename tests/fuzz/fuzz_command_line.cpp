// The program's command line as a deployment tool may pass it: any text split as the C runtime
// splits it, then parsed. Nothing may escape; /quiet anywhere makes the run quiet whatever else
// is wrong; and a command that is understood reads back from its own formatted form as the
// same command, so what deploy prints runs as checked.
#include "FuzzCommon.h"
#include "session/CommandLine.h"

namespace {

bool IsQuietSwitch(const String& arg) {
    if (arg.size() < 2 || (arg[0] != u'/' && arg[0] != u'-')) return false;
    const StringView name = StringView(arg).substr(1);
    for (const char16_t* quiet : {u"quiet", u"qn", u"q", u"s", u"silent", u"verysilent"})
        if (SameText(name, quiet)) return true;
    return false;
}

// Arguments from a small alphabet of switches and values, so that the parser's paths are
// reached often; or the raw text split.
StringList Arguments(FuzzedDataProvider& in) {
    static const char16_t* kWords[] = {u"/quiet",
                                       u"/qn",
                                       u"-S",
                                       u"/connection",
                                       u"network",
                                       u"usb",
                                       u"serial",
                                       u"parallel",
                                       u"/address",
                                       u"10.0.0.7",
                                       u"/port",
                                       u"COM1",
                                       u"/model",
                                       u"M 1",
                                       u"/label",
                                       u"/replace",
                                       u"/default",
                                       u"/testprint",
                                       u"/remove",
                                       u"/log",
                                       u"C:\\x y\\l.log",
                                       u"/?",
                                       u"/norestart",
                                       u"/timeout",
                                       u"30",
                                       u"/allowwritablekit",
                                       u"\"",
                                       u"a\\\"b",
                                       u"",
                                       u"x\\"};
    if (in.ConsumeBool())
        return SplitCommandLine(fuzz::Latin1Text(in.ConsumeRemainingBytesAsString()));
    StringList args;
    while (in.remaining_bytes() > 0) {
        if (in.ConsumeBool())
            args.push_back(
                kWords[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kWords) - 1)]);
        else
            args.push_back(fuzz::PlainValue(in, 12));
    }
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const StringList args = Arguments(in);
    const ParsedCommandLine parsed = ParseCommandLine(args);

    bool quiet = false;
    for (const String& arg : args)
        quiet = quiet || IsQuietSwitch(arg);
    FUZZ_CHECK(parsed.options.quiet == quiet);
    if (!parsed.ok()) FUZZ_CHECK(!parsed.error.empty());

    if (parsed.ok() && parsed.options.quiet && !parsed.options.help) {
        const String formatted = FormatCommandLine(parsed.options);
        const ParsedCommandLine again = ParseCommandLine(SplitCommandLine(formatted));
        FUZZ_CHECK(again.ok());
        FUZZ_CHECK_TEXT(FormatCommandLine(again.options), formatted);
        FUZZ_CHECK(again.options.model == parsed.options.model);
        FUZZ_CHECK(again.options.logFile == parsed.options.logFile);
        FUZZ_CHECK(again.options.timeoutSeconds == parsed.options.timeoutSeconds);
    }
    return 0;
}
