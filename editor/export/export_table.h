#pragma once

#include <memory>
#include <vector>

#include "export/exporter.h"

namespace obrin {

// The exports the editor offers, in the order they were added. Each becomes
// a command of the main window (RegisterExportCommands).
class ExportTable {
  public:
    // Throws std::logic_error for a second export under one command id.
    void add(std::unique_ptr<Exporter> exporter);

    const std::vector<std::unique_ptr<Exporter>>& exporters() const { return exporters_; }
    // The export under `id`; throws std::logic_error when none was added.
    [[nodiscard]] Exporter& at(CommandId id) const;

  private:
    std::vector<std::unique_ptr<Exporter>> exporters_;
};

}  // namespace obrin
