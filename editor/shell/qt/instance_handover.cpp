#include "shell/qt/instance_handover.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <memory>
#include <system_error>

namespace obrin {

namespace {

// A path is far shorter; anything longer is not a message from our editor.
constexpr qint64 kLargestMessage = 64 * 1024;

QString SocketName(const std::filesystem::path& runtimeFolder) {
    return QString::fromStdString(InstanceSocketPath(runtimeFolder).string());
}

// The file a command line names for the running editor to open, made
// absolute against this process's folder, which the running one does not share.
std::string FileToHandOver(int argc, char* argv[]) {
    if (argc < 2) return {};
    const std::string first = argv[1];
    if (first.empty() || first == "-install-dll" || first == "-uninstall-dll") return {};
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(first, ignored);
    return absolute.empty() ? first : absolute.string();
}

}  // namespace

std::filesystem::path InstanceSocketPath(const std::filesystem::path& runtimeFolder) {
    return runtimeFolder / "obrin_socket";
}

int HandOverToRunningEditor(const std::filesystem::path& runtimeFolder, int argc, char* argv[]) {
    const std::string file = FileToHandOver(argc, argv);
    const QCoreApplication app(argc, argv);
    // Nobody to tell when it fails: the running editor is the only window,
    // and a second one must not appear.
    (void)SendToRunningEditor(runtimeFolder, file, 5000);
    return 0;
}

bool SendToRunningEditor(const std::filesystem::path& runtimeFolder, const std::string& file,
                         int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running editor takes the lock before it listens; a start right
    // after it may find no socket yet.
    for (;;) {
        socket.connectToServer(SocketName(runtimeFolder));
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    socket.write(file.data(), static_cast<qint64>(file.size()));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
    }
    return true;
}

InstanceServer::InstanceServer(const std::filesystem::path& runtimeFolder, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    const QString name = SocketName(runtimeFolder);
    // This editor holds the instance lock, so a socket file left there is
    // from one that ended without removing it.
    QLocalServer::removeServer(name);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::takeConnections);
    // Without the socket the editor still runs; a second start then only ends.
    server_->listen(name);
}

InstanceServer::~InstanceServer() {
    server_->close();
}

bool InstanceServer::isListening() const {
    return server_->isListening();
}

void InstanceServer::takeConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        const auto message = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, socket, [socket, message] {
            message->append(socket->readAll());
            if (message->size() > kLargestMessage) socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, message] {
            message->append(socket->readAll());
            const bool whole = message->size() <= kLargestMessage;
            const std::string file = message->toStdString();
            socket->deleteLater();
            if (whole && onRequest) onRequest(file);
        });
    }
}

}  // namespace obrin
