#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <string>

class QLocalServer;

namespace obrin {

// A second start of the editor hands its file to the one already running,
// over a local socket "obrin_socket" in the runtime folder beside the
// single-instance lock. The message is the file's absolute local path (or
// nothing, to raise the window only); the sender closes the connection to
// end it.

// The second start's whole life: with the editor's command line (argc, argv
// as main() has them), sends the file it names to the running editor and
// returns the process's exit status, 0, whether or not an editor answered.
// The registration switches ("-install-dll", "-uninstall-dll") hand over no
// file. Makes its own QCoreApplication; call before any other exists.
int HandOverToRunningEditor(const std::filesystem::path& runtimeFolder, int argc, char* argv[]);

// Sends one message; false when no editor took it within `timeoutMs` (one
// still starting up is given that long to begin listening). Needs a
// QCoreApplication.
[[nodiscard]] bool SendToRunningEditor(const std::filesystem::path& runtimeFolder,
                                       const std::string& file, int timeoutMs);

// The running editor's end: listens from construction on, and calls
// onRequest once per second start with the file it named (empty for none),
// on the user-interface thread.
class InstanceServer final : public QObject {
    Q_OBJECT
  public:
    explicit InstanceServer(const std::filesystem::path& runtimeFolder, QObject* parent = nullptr);
    ~InstanceServer() override;

    [[nodiscard]] bool isListening() const;

    std::function<void(const std::string& file)> onRequest;

  private:
    void takeConnections();

    QLocalServer* server_;
};

// The socket's full path in the runtime folder.
[[nodiscard]] std::filesystem::path InstanceSocketPath(const std::filesystem::path& runtimeFolder);

}  // namespace obrin
