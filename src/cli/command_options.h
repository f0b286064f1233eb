#pragma once

#include <QStringList>
#include <optional>

#include "cli/command_line.h"
#include "export/export_options.h"
#include "export/field_writer.h"
#include "platform/result.h"

namespace brindle {

// An unattended command line taken apart. Options are whole arguments before "/f:" that start
// with "--"; they are never matched as labels. The other arguments, joined as always, are the
// line whose labels and path are read.
struct UnattendedRequest {
    CommandLine line;
    QStringList namingArguments;  // the line before "/f:", argument by argument
    Separator separator = Separator::Commas;
    QuoteRule quoting = QuoteRule::WhenNeeded;
    TextEncoding encoding = TextEncoding::Utf8;
    DateStyle dates = DateStyle::Locale;
    std::optional<OutputFormat> format;  // unless given, the path's ending decides
    bool delimitedOptionsGiven = false;  // --separator, --quotes or --encoding
    bool jsonSummary = false;
    bool quiet = false;
    std::optional<QString> changesPath;  // --changes: where the change report goes
    std::optional<QString> compareWith;  // --compare-with: the earlier export, else the output's file
};

// The request, or an Error that names the unknown option or the bad value and the good ones.
Result<UnattendedRequest> parseUnattendedArguments(const QStringList& arguments);

}  // namespace brindle
