#include "export/output/file_output.h"

#include "export/output/delimited_file_output.h"
#include "export/output/xlsx_file_output.h"

namespace brindle {

std::unique_ptr<RowOutput> fileOutput(const QString& path, OutputFormat format,
                                      const ExportOptions& options) {
    if (format == OutputFormat::Workbook) return std::make_unique<XlsxFileOutput>(path);
    return std::make_unique<DelimitedFileOutput>(path, options.quoting, options.separator, options.encoding);
}

}  // namespace brindle
