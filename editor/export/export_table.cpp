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

Exporter& ExportTable::at(CommandId id) const {
    for (const auto& exporter : exporters_) {
        if (exporter->description().command == id) return *exporter;
    }
    throw std::logic_error("no export " + std::string(id.objectName()));
}

}  // namespace obrin
