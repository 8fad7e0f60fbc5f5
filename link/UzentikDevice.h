// SPDX-License-Identifier: GPL-3.0-or-later
// The controller object: the one path to a ZENTIK controller. It owns the serial port and the time-out
// timer, runs one numbered process at a time as a chain of request/response exchanges, logs every frame
// and reports each outcome as a result code through the completion event of the process.
#pragma once

#include "link/ControllerData.h"
#include "link/Frames.h"
#include "link/SerialLink.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>

class TZENTIK;

// Result codes of a process (LastError).
namespace Result {
constexpr int Success = 0;
constexpr int TimeOut = 1;
constexpr int PortWriteFailed = 2;
constexpr int RejectedAddress1 = 3;
constexpr int RejectedAddress2 = 4;
constexpr int RejectedPolling = 5;
constexpr int RejectedGauge = 6;
constexpr int RejectedReserve = 7;
constexpr int RejectedInterval = 8;
constexpr int RejectedOutputMode = 9;
constexpr int RejectedReadPage = 10;
constexpr int RejectedPageData = 11;
constexpr int RejectedPageNumber = 12;
// A file the write keeps could not be written: SN.ini inside a write chain, or the configuration file of a
// "file:" port after a write (LastErrorText names it).
constexpr int VolumeStoreWriteFailed = 13;
// A setting or page read back after the write differs from what was sent (Command names the read that
// found it, PageIndex the page); the controller keeps what it took.
constexpr int ReadBackDiffers = 14;
} // namespace Result

// Process numbers (ProcessId).
namespace Process {
constexpr int Idle = 0;
constexpr int ReadConfig = 1;
constexpr int SaveConfig = 2;
constexpr int ReadTable = 3;
constexpr int WriteTable = 4;
constexpr int ReadAllSettings = 5;
constexpr int LoadAllSettings = 6;
// Whether the process writes into the controller: cut off halfway, it leaves the controller with part of it.
constexpr bool Writes(int process)
{
    return process == SaveConfig || process == WriteTable || process == LoadAllSettings;
}
} // namespace Process

// A completion event: a handler bound to the object that receives it. Once that object is destroyed
// the event is never called.
class TCompletionEvent
{
public:
    template <class T> void bind(T* receiver, void (T::*handler)(TZENTIK*))
    {
        bindFunction(receiver, [receiver, handler](TZENTIK* z) { (receiver->*handler)(z); });
    }
    template <class T> void bind(T* receiver, void (T::*handler)())
    {
        bindFunction(receiver, [receiver, handler](TZENTIK*) { (receiver->*handler)(); });
    }
    // receiver may be null for a handler that depends on no object.
    void bindFunction(QObject* receiver, std::function<void(TZENTIK*)> handler)
    {
        m_receiver = receiver;
        m_tracked = receiver != nullptr;
        m_handler = std::move(handler);
    }
    void clear() { *this = TCompletionEvent(); }
    bool isSet() const { return m_handler && (!m_tracked || !m_receiver.isNull()); }
    QObject* receiver() const { return m_receiver; }
    void call(TZENTIK* z) const
    {
        if (isSet())
            m_handler(z);
    }

private:
    QPointer<QObject> m_receiver;
    bool m_tracked = false;
    std::function<void(TZENTIK*)> m_handler;
};

// The values a configuration write sends after reading the serial number.
constexpr int kWrittenSettings = 7;
// How many of the values a configuration write sends would change a controller that holds `held` into
// one that holds `record`.
int DifferingSettings(const TParameters& held, const TParameters& record);

// Saves the tank volumes of the record to be written under the controller's serial number; false, with
// the reason naming the file, when that fails.
using TankVolumeSaver =
    std::function<bool(const QString& serialNumber, const TParameters& newParameters, QString* error)>;

class TZENTIK : public QObject
{
    Q_OBJECT
    // Tests set up states no operation makes and call internal steps directly (tests/common).
    friend class ZentikTestSeam;
    // What the read-only views below show; declared first, so that the views can be bound to them.
    TComPort* const m_port = new TComPort(this);
    QTimer* const m_timer = new QTimer(this);
    QByteArray m_rxBuffer;
    TParameters m_parameters;
    TCommand m_command;
    qint32 m_lastError = 0;
    qint32 m_pageIndex = 0;
    TParameters m_newParameters;
    TPages m_newPages{};
    qint32 m_processId = 0;
    std::array<TCompletionEvent, 6> m_events; // processes 1 to 6
    qint32 m_lastPage = 0;
    QString m_lastErrorText;
    QString m_writtenSerialNumber;
    qint32 m_pagesStored = 0;

public:
    // The factory makes the serial line behind each port name.
    explicit TZENTIK(SerialLinkFactory factory, QObject* parent = nullptr);

    // The object's state, named as the protocol describes it, to read; every change goes through an
    // operation of the object.
    const TComPort* const ComPort = m_port;
    const QTimer* const Timer = m_timer;
    const QByteArray& RxBuffer = m_rxBuffer;
    const TParameters& Parameters = m_parameters;
    const TCommand& Command = m_command;
    const qint32& LastError = m_lastError;
    const qint32& PageIndex = m_pageIndex;
    const TParameters& NewParameters = m_newParameters;
    const TPages& NewPages = m_newPages;
    const qint32& ProcessId = m_processId;
    const TCompletionEvent& OnConfigRead = m_events[0];
    const TCompletionEvent& OnConfigSave = m_events[1];
    const TCompletionEvent& OnTableRead = m_events[2];
    const TCompletionEvent& OnTableWrite = m_events[3];
    const TCompletionEvent& OnReadAllSettings = m_events[4];
    const TCompletionEvent& OnLoadAllSettings = m_events[5];
    const qint32& LastPage = m_lastPage;
    // What went wrong beyond the code, for result 13 "Unable to write to <file>".
    const QString& LastErrorText = m_lastErrorText;
    // The serial number the write chain of the last process (2 or 6) read from the controller it wrote;
    // empty when the last process wrote no configuration or ended before. A successful write adopts the
    // record to be written, serial number included, as it stands.
    const QString& WrittenSerialNumber = m_writtenSerialNumber;
    // The pages the last write process (4 or 6) has stored, read back or not.
    const qint32& PagesStored = m_pagesStored;

    // How the write chains save tank volumes; without it nothing is saved. A line that keeps its own
    // (SerialLink::takeTankVolumes) takes them instead.
    void setTankVolumeSaver(TankVolumeSaver saver) { m_saveVolumes = std::move(saver); }

    void ClearParameters();

    // A new name on an open port closes it and opens it again under the new name; false when that
    // reopening fails (the port is then left closed, ComPort->errorString() says why).
    bool SetPortName(const QString& name);
    // While a process runs this leaves its buffer and what it has decoded alone and only says whether
    // the port is open.
    bool OpenPort();
    // A process running over the port then fails at its next request.
    void ClosePort();
    // Opens the port again (after ClosePort, or under a new name) and leaves the buffer and the stores as
    // they are, where OpenPort resets them.
    bool ReopenPort();

    // The stores belong to the running process until it ends: each change below is refused (false,
    // changing nothing) while one runs.
    // The tank volumes of the polled sensors (tank 1 and 2) in Parameters; the controller keeps none.
    bool FillPolledTankVolumes(const std::array<qint32, 2>& kept);
    // Puts back what the windows showed before a read that was not theirs (the backup before a write).
    bool RestoreParameters(const TParameters& shown);
    // The record a whole write has put into the controller, as a read of it shows it: the write itself
    // adopts the record to be written, whose texts and pages may be a former controller's.
    bool AdoptWrittenParameters(const TParameters& written);
    // The record a configuration write (process 2 or 6) sends.
    bool SetNewParameters(const TParameters& record);
    // The pages a whole write (process 6) sends.
    bool SetNewPages(const TPages& pages);
    // The table of sensor 1 or 2 for the next table read or write (processes 3 and 4), from its first page.
    bool SelectSensorTable(int sensor);
    // The sensor's table, entry by entry, into its 32 pages of NewPages for a table write; the other
    // sensor's pages stay as they are.
    bool SetNewTable(int sensor, const std::array<quint16, kTableEntries>& entries);
    // How the next write process (2, 4 or 6) goes: given what the controller holds, read right before, it
    // sends only the settings and pages that differ from it (the chain's order kept) and logs how many it
    // left out; with readBack it then reads back every setting and page it sent, and a difference ends it
    // with 14. It belongs to the next process, whose end drops it; without a plan a write sends everything
    // as described.
    bool SetWritePlan(const std::optional<TParameters>& held, bool readBack);
    // How many pages the process moves (PageTransferred), pages read back included, with the plan as set.
    int PagesToMove(int process) const;

    // Installs the completion event of the process (1 to 6; any other number has none): done, tracked by
    // receiver (which may be null), or nothing when done is empty. The event of a running process is its
    // own until it ends: StartProcess installs one only while the object is idle.
    void SetCompletionEvent(int process, QObject* receiver, std::function<void(TZENTIK*)> done);
    // The completion event of the process; nullptr for a number that is none.
    const TCompletionEvent* CompletionEvent(int process) const;

    // One process at a time: while one runs (ProcessId not 0) every starter refuses, returning false
    // without sending anything or touching a store.
    bool IsBusy() const { return m_processId != Process::Idle; }
    // A configuration read whose first request is out and still unanswered: nothing has been decoded,
    // so another configuration read may take its place (ReplaceConfigRead).
    bool IsFreshConfigRead() const;

    // Each starter returns true when its process has started; its completion event follows, or has
    // already been called when the first request could not be written.
    bool ReadConfig(int timeoutMs);
    // ReadConfig that may also take the place of a fresh configuration read, whose completion event is
    // then never called: the controller settings window's read replacing Refresh's.
    bool ReplaceConfigRead(int timeoutMs);
    bool SaveConfig(int timeoutMs);
    bool ReadTable(int timeoutMs);
    bool WriteTable(int timeoutMs);
    bool ReadAllSettings(int timeoutMs);
    bool LoadAllSettings(int timeoutMs);

signals:
    // One line of the exchange log; an empty text is an empty line.
    void LogLine(const QString& line);
    // One more page has been read or stored.
    void PageTransferred();
    // A process has started (true) or ended (false); the end is told before the completion event runs.
    void BusyChanged(bool busy);

private:
    // The engine (ZentikEngine.cpp): a process entered, one request out, its answer found in what
    // arrives, the step it leads to, the end.
    void enter(int process, int timeoutMs);
    bool SendCommand(quint8 command, const QByteArray& data, int responseLength, int timeoutMs);
    bool FindResponse(const QByteArray& buffer);
    void FinishProcess(int result);
    void TimeOut();
    void PortRxChar(int count);
    // The port went away while open: a running process ends at once with 2, as a write to it would.
    void PortLost();
    void takeStep(int timeoutMs);
    void log(const QString& line) { emit LogLine(line); }

    // The configuration chains (ConfigChains.cpp).
    bool startConfigChain(int process, int timeoutMs);
    void readChainStep(quint8 cmd, const QByteArray& data, int timeoutMs);
    void writeChainStep(quint8 cmd, const QByteArray& data, int timeoutMs);
    // The controller is known: its serial number is noted and the tank volumes of the record to be
    // written are kept, before any value is written. False when they could not be: the process has ended
    // with 13.
    bool keepTankVolumes(const QString& serialNumber);

    // The page transfers (PageTransfer.cpp).
    // Pages 0 to 63, after the configuration chain of process 5 or 6.
    void transferAllPages(int timeoutMs);
    // The first request for page PageIndex: its selection for a read, its data for a write.
    bool sendPageRequest(int timeoutMs);
    void pageReadStep(quint8 cmd, const QByteArray& data, int timeoutMs);
    void pageWriteStep(quint8 cmd, const QByteArray& data, int timeoutMs);
    // One more page is through: the next one, or the end after the last.
    void pageTransferred(int timeoutMs);
    // Ends the process with the page's rejection, then names the page in the log after its completion event.
    void failPage(int result, const QString& line);
    // The first page from this one on that the running process sends; past LastPage when none is left.
    int pageToSend(int from) const;

    // The write plan and the read-back (WritePlan.cpp).
    // Everything has been written: the read-back, or the end.
    void writeThrough(int timeoutMs);
    void sendReadBack(int timeoutMs);
    void readBackStep(quint8 cmd, const QByteArray& data, int timeoutMs);
    void failReadBack(const QString& what);
    // Whether the answer to the read of a setting written with this command shows the value sent.
    bool heldAsSent(quint8 writeCommand, const QByteArray& data) const;
    void logLeftOut();

    TankVolumeSaver m_saveVolumes;
    std::optional<TParameters> m_held;
    bool m_readBack = false;
    // What the running write has sent, in order, for its read-back: the writing commands of the settings,
    // the pages; m_readBackAt is the entry being read back, -1 before the read-back.
    QList<quint8> m_sentSettings;
    QList<int> m_sentPages;
    int m_readBackAt = -1;
};
