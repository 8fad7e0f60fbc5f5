// SPDX-License-Identifier: GPL-3.0-or-later
// The serial line as the controller object needs it: a small interface with three implementations
// (a real port, an in-memory port for tests, the built-in simulated controller).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

struct TParameters;

class SerialLink : public QObject
{
    Q_OBJECT
public:
    // What stood in the way of the last open(), so that the user can be told what to do about it.
    enum class OpenFailure {
        Other,        // errorString() says no more
        Missing,      // there is no such device
        NoPermission, // the user may not open the device
        InUse,        // another program holds the device
        BadName,      // the name holds control characters; it never reached the system
    };

    explicit SerialLink(const QString& name, QObject* parent = nullptr) : QObject(parent), m_name(name) {}

    QString name() const { return m_name; }
    // Opens the line (19200 8N1, DTR on, RTS off, no flow control); false with errorString() and
    // openFailure() on failure.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues the bytes for sending; false with errorString() when not open or the write fails.
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray read(qint64 count) = 0;
    virtual qint64 bytesAvailable() const = 0;
    QString errorString() const { return m_error; }
    OpenFailure openFailure() const { return m_openFailure; }

    // A line that stands for a stored controller (a configuration file behind a "file:" port) hears of
    // the controller object's processes: one is about to start, and one that writes the controller
    // (2, 4, 6) has succeeded, when keepWritten keeps what was written or says, false, why it could not.
    // A line to a device has nothing to do.
    virtual void processStarting() {}
    virtual bool keepWritten(QString* reason)
    {
        Q_UNUSED(reason);
        return true;
    }
    // Such a line may keep the tank volumes itself (a configuration file's Volume_0 and Volume_1), in place
    // of the tank volume store: tankVolumes() gives both, and the write chains hand the record to be
    // written to takeTankVolumes() rather than to the store, kept with the rest of a write that succeeds.
    // A line that keeps none gives nothing and takes nothing (false).
    virtual std::optional<std::array<qint32, 2>> tankVolumes() const { return std::nullopt; }
    virtual bool takeTankVolumes(const TParameters& written)
    {
        Q_UNUSED(written);
        return false;
    }

signals:
    // Bytes have arrived; delivered on the thread that owns the link.
    void bytesReceived(int count);
    // The device went away while open (for example a USB adapter pulled out).
    void lost();

protected:
    void setErrorString(const QString& error) { m_error = error; }
    void setOpenFailure(OpenFailure failure, const QString& error)
    {
        m_openFailure = failure;
        m_error = error;
    }

private:
    QString m_name;
    QString m_error;
    OpenFailure m_openFailure = OpenFailure::Other;
};

// A port name fit to reach the system: one without control or other unprintable characters (a NUL would
// cut the name short in some system calls and not in others).
bool IsPrintablePortName(const QString& name);
// The name with every unprintable character written as \xNN or \uNNNN, for telling the user about it.
QString EscapedPortName(const QString& name);

using SerialLinkFactory = std::function<SerialLink*(const QString& name, QObject* parent)>;

// The controller object's port component: holds the port name and the link behind it, choosing the
// implementation from the name through a factory.
class TComPort : public QObject
{
    Q_OBJECT
public:
    explicit TComPort(QObject* parent = nullptr);

    void setFactory(SerialLinkFactory factory);
    // The factory, for lines of their own beside this one (probing other ports).
    SerialLinkFactory factory() const { return m_factory; }
    QString portName() const { return m_name; }
    // A new name on an open port closes it and opens it again under the new name; false when that
    // reopening fails (the port is then left closed, errorString() says why).
    bool setPortName(const QString& name);
    bool open();
    void close();
    bool isOpen() const;
    bool write(const QByteArray& bytes);
    QByteArray read(qint64 count);
    qint64 bytesAvailable() const;
    QString errorString() const { return m_error; }
    // Of the last failed open(): what stood in the way.
    SerialLink::OpenFailure openFailure() const { return m_openFailure; }
    // Whether the last open() failed, and its words: a port that is closed for that reason was never open
    // under this name, rather than open and lost since.
    bool lastOpenFailed() const { return m_lastOpenFailed; }
    QString openError() const { return m_openError; }
    SerialLink* link() const { return m_link; }

signals:
    void RxChar(int count);
    void lost();

private:
    void replaceLink();
    bool openFailed(SerialLink::OpenFailure failure, const QString& error);

    SerialLinkFactory m_factory;
    QString m_name;
    SerialLink* m_link = nullptr;
    QString m_error;
    SerialLink::OpenFailure m_openFailure = SerialLink::OpenFailure::Other;
    bool m_lastOpenFailed = false;
    QString m_openError;
};

// The name of the built-in simulated controller in the port list.
inline const QString kSimulatedPortName = QStringLiteral("SIM");
