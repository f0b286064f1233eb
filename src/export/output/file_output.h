#pragma once

#include <QString>
#include <memory>

#include "export/export_options.h"
#include "export/output/row_output.h"

namespace brindle {

// The file at `path` of the given kind, a delimited one laid out as the options say.
std::unique_ptr<RowOutput> fileOutput(const QString& path, OutputFormat format, const ExportOptions& options);

}  // namespace brindle
