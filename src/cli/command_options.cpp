#include "cli/command_options.h"

#include <QCommandLineParser>
#include <utility>
#include <vector>

namespace brindle {

namespace {

const QString kSeeHelp = QStringLiteral(" (see brindle --help)");

template <typename Value>
using Choices = std::vector<std::pair<QString, Value>>;

const Choices<Separator> kSeparators{
    {QStringLiteral("comma"), Separator::Commas},
    {QStringLiteral("tab"), Separator::Tabs},
    {QStringLiteral("linefeed"), Separator::LineFeeds},
    {QStringLiteral("semicolon"), Separator::Semicolons},
};
const Choices<TextEncoding> kEncodings{
    {QStringLiteral("utf-8"), TextEncoding::Utf8},
    {QStringLiteral("utf-8-bom"), TextEncoding::Utf8WithMark},
    {QStringLiteral("windows-1252"), TextEncoding::Windows1252},
};
const Choices<DateStyle> kDateStyles{
    {QStringLiteral("locale"), DateStyle::Locale},
    {QStringLiteral("iso"), DateStyle::Iso},
};
const Choices<std::optional<OutputFormat>> kFormats{
    {QStringLiteral("csv"), OutputFormat::Delimited},
    {QStringLiteral("xlsx"), OutputFormat::Workbook},
};
const Choices<bool> kSummaries{
    {QStringLiteral("text"), false},
    {QStringLiteral("json"), true},
};
const Choices<QuoteRule> kQuoteRules{
    {QStringLiteral("needed"), QuoteRule::WhenNeeded},
    {QStringLiteral("always"), QuoteRule::Always},
    {QStringLiteral("never"), QuoteRule::Never},
};

template <typename Value>
Result<Value> choose(const QString& option, const QString& given, const Choices<Value>& choices) {
    QStringList good;
    for (const auto& [name, value] : choices) {
        if (name == given) return value;
        good << QStringLiteral("--%1=%2").arg(option, name);
    }
    const QString last = good.takeLast();
    return Error{QStringLiteral("unknown %1 \"%2\": use %3 or %4")
                     .arg(option, given, good.join(QLatin1String(", ")), last)};
}

// The option's value among the choices, when the option is given; else `value` stays.
template <typename Value>
Result<void> chooseIfSet(const QCommandLineParser& parser, const QString& option,
                         const Choices<Value>& choices, Value& value) {
    if (!parser.isSet(option)) return {};
    const Result<Value> chosen = choose(option, parser.value(option), choices);
    if (!chosen) return chosen.error();
    value = *chosen;
    return {};
}

}  // namespace

Result<UnattendedRequest> parseUnattendedArguments(const QStringList& arguments) {
    UnattendedRequest request;
    QStringList options{QStringLiteral("brindle")};
    QStringList rest;
    bool beforePath = true;
    for (const QString& argument : arguments) {
        if (!beforePath) {
            rest << argument;
            continue;
        }
        const qsizetype marker = findPathMarker(argument);
        if (marker < 0 && argument.startsWith(QLatin1String("--"))) {
            // The parser would take a bare "--" as the end of its options and say nothing.
            if (argument == QLatin1String("--")) return Error{QStringLiteral("unknown option --") + kSeeHelp};
            options << argument;
            continue;
        }
        rest << argument;
        const QString naming = marker < 0 ? argument : argument.left(marker);
        if (!naming.isEmpty()) request.namingArguments << naming;
        beforePath = marker < 0;
    }
    request.line = CommandLine::fromArguments(rest);

    const QCommandLineOption separator(QStringLiteral("separator"), QString(), QStringLiteral("separator"));
    const QCommandLineOption quotes(QStringLiteral("quotes"), QString(), QStringLiteral("quotes"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QStringList valued{QStringLiteral("encoding"), QStringLiteral("dates"),
                             QStringLiteral("summary"),  QStringLiteral("format"),
                             QStringLiteral("changes"),  QStringLiteral("compare-with")};
    const QCommandLineOption alone(
        QStringList{QStringLiteral("help"), QStringLiteral("version"), QStringLiteral("list")});
    QCommandLineParser parser;
    parser.addOptions({separator, quotes, quiet, alone});
    for (const QString& name : valued) parser.addOption(QCommandLineOption(name, QString(), name));
    if (!parser.parse(options)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return Error{QStringLiteral("unknown option --%1").arg(unknown.first()) + kSeeHelp};
        QString message = parser.errorText();  // "Missing value after '--separator'." and the like
        if (message.endsWith(QLatin1Char('.'))) message.chop(1);
        if (!message.isEmpty()) message[0] = message[0].toLower();
        return Error{message + kSeeHelp};
    }
    if (parser.isSet(alone)) {
        return Error{QStringLiteral("--help, --version and --list are given alone, without other arguments")};
    }
    for (const Result<void>& chosen :
         {chooseIfSet(parser, QStringLiteral("separator"), kSeparators, request.separator),
          chooseIfSet(parser, QStringLiteral("quotes"), kQuoteRules, request.quoting),
          chooseIfSet(parser, QStringLiteral("encoding"), kEncodings, request.encoding),
          chooseIfSet(parser, QStringLiteral("dates"), kDateStyles, request.dates),
          chooseIfSet(parser, QStringLiteral("summary"), kSummaries, request.jsonSummary),
          chooseIfSet(parser, QStringLiteral("format"), kFormats, request.format)}) {
        if (!chosen) return chosen.error();
    }
    for (const QString& path : {QStringLiteral("changes"), QStringLiteral("compare-with")}) {
        if (parser.isSet(path) && parser.value(path).isEmpty())
            return Error{QStringLiteral("--%1 needs a file's path").arg(path) + kSeeHelp};
    }
    if (parser.isSet(QStringLiteral("changes")))
        request.changesPath = parser.value(QStringLiteral("changes"));
    if (parser.isSet(QStringLiteral("compare-with"))) {
        if (!request.changesPath) {
            return Error{QStringLiteral("--compare-with names the earlier export of a change report: give "
                                        "--changes=REPORT too") +
                         kSeeHelp};
        }
        request.compareWith = parser.value(QStringLiteral("compare-with"));
    }
    request.delimitedOptionsGiven =
        parser.isSet(separator) || parser.isSet(quotes) || parser.isSet(QStringLiteral("encoding"));
    request.quiet = parser.isSet(quiet);
    return request;
}

}  // namespace brindle
