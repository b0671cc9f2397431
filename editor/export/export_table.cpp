#include "export/export_table.h"

#include <stdexcept>
#include <string>

namespace obrin {

void ExportTable::add(std::unique_ptr<Exporter> exporter) {
    const CommandId id = exporter->description().command;
    for (const auto& existing : exporters_) {
        if (existing->description().command == id)
            throw std::logic_error("export " + std::string(id.objectName()) + " added twice");
    }
    exporters_.push_back(std::move(exporter));
}

}  // namespace obrin
