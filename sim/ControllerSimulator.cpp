// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ControllerSimulator.h"

#include "link/HexText.h"

namespace {

QByteArray frame(quint8 command, const QByteArray& data)
{
    return BuildFrame(kResponseStart, command, data);
}

// The answer of a command that carries a status byte.
QByteArray statusFrame(quint8 command, bool refused)
{
    return frame(command, QByteArray(1, refused ? char(1) : char(0)));
}

quint8 firstByte(const QByteArray& data)
{
    return data.isEmpty() ? 0 : static_cast<quint8>(data[0]);
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// Kept for tests and the fault soak; a simulator serving for hours must not grow without end.
constexpr qsizetype kExchangeMemory = 4096;

bool carriesStatus(quint8 command)
{
    return (command & 0x80) == 0 || command == Cmd::SelectReadPage;
}

// A plausible level recoding table: a tank that is a little wider at the top.
TPages defaultTables()
{
    TPages pages{};
    for (int k = 0; k < kTableEntries; ++k) {
        const double x = k / 1023.0;
        TableEntry(pages, 0, k) = static_cast<quint16>(qRound(32767.0 * (0.8 * x + 0.2 * x * x)));
        TableEntry(pages, kSensorPages, k) = static_cast<quint16>(qRound(32768.0 * x));
    }
    return pages;
}

// Where the first frame the tool would accept as the answer to command (start byte, command, correct
// CRC over length bytes) begins in bytes; -1 when there is none.
qsizetype firstAcceptedFrame(const QByteArray& bytes, quint8 command, qsizetype length)
{
    for (qsizetype i = 0; i + length <= bytes.size(); ++i) {
        if (static_cast<quint8>(bytes[i]) == kResponseStart && static_cast<quint8>(bytes[i + 1]) == command &&
            BuildFrame(kResponseStart, command, bytes.mid(i + 2, length - 3)) == bytes.mid(i, length))
            return i;
    }
    return -1;
}

} // namespace

ControllerSimulator::ControllerSimulator() : m_pages(defaultTables()), m_random(1) {}

void ControllerSimulator::setRandomFaults(double rate, quint32 seed)
{
    m_randomRate = rate;
    m_random.seed(seed);
}

TParameters ControllerSimulator::state() const
{
    TParameters p;
    p.SerialNumber = BytesToHex(le32(m_serial), QString(), true);
    p.ProgramNumber = BytesToHex(le32(m_program), QString(), true);
    p.SensorOn[0] = m_polling & 0x01;
    p.SensorOn[1] = m_polling & 0x02;
    p.NetAddr[0] = m_address1;
    p.NetAddr[1] = m_address2;
    p.Inversion = m_gauge & 0x80;
    p.MultFactor = m_gauge & 0x7F;
    p.ReserveLevel = m_reserve;
    p.Interval = m_interval;
    p.OutputMode = m_outputMode;
    p.Pages = m_pages;
    return p;
}

void ControllerSimulator::setState(const TParameters& p)
{
    m_serial = p.SerialNumber.toUInt(nullptr, 16);
    m_program = p.ProgramNumber.toUInt(nullptr, 16);
    m_polling = (p.SensorOn[0] ? 0x01 : 0) | (p.SensorOn[1] ? 0x02 : 0);
    m_address1 = p.NetAddr[0];
    m_address2 = p.NetAddr[1];
    m_gauge = (p.Inversion ? 0x80 : 0) | (p.MultFactor & 0x7F);
    m_reserve = p.ReserveLevel;
    m_interval = p.Interval;
    m_outputMode = p.OutputMode;
    m_pages = p.Pages;
}

QList<SimExchange> ControllerSimulator::takeExchanges()
{
    QList<SimExchange> done;
    done.swap(m_exchanges);
    return done;
}

QList<SimChunk> ControllerSimulator::receive(const QByteArray& bytes)
{
    m_rx.append(bytes);
    QList<SimChunk> out;
    // The controller hunts for a start byte, takes the length from the command and ignores any frame
    // whose CRC does not match.
    while (!m_rx.isEmpty()) {
        const qsizetype start = m_rx.indexOf(static_cast<char>(kRequestStart));
        if (start < 0) {
            m_rx.clear();
            break;
        }
        m_rx.remove(0, start);
        if (m_rx.size() < 2)
            break;
        const quint8 command = static_cast<quint8>(m_rx[1]);
        const int dataLength = RequestDataLength(command);
        if (dataLength < 0) {
            m_rx.remove(0, 1);
            continue;
        }
        const qsizetype length = 3 + dataLength;
        if (m_rx.size() < length)
            break;
        const QByteArray request = m_rx.left(length);
        if (BuildFrame(kRequestStart, command, request.mid(2, dataLength)) != request) {
            m_rx.remove(0, 1);
            continue;
        }
        m_rx.remove(0, length);
        out += answer(command, request.mid(2, dataLength), length);
    }
    return out;
}

int ControllerSimulator::pageOf(quint8 command, const QByteArray& data) const
{
    if (command == Cmd::SelectReadPage || command == Cmd::StorePage)
        return static_cast<quint8>(data[0]);
    if (command == Cmd::LoadPage)
        return m_nextLoadPage;
    if (command == Cmd::ReadPage)
        return m_selectedPage;
    return -1;
}

QList<SimFault> ControllerSimulator::faultsFor(quint8 command, int page)
{
    QList<SimFault> faults;
    for (SimFaultRule& rule : m_rules) {
        if ((rule.command >= 0 && rule.command != command) || (rule.page >= 0 && rule.page != page))
            continue;
        if (rule.skip > 0) {
            --rule.skip;
            continue;
        }
        if (rule.times == 0)
            continue;
        if (rule.times > 0)
            --rule.times;
        faults.append(rule.kind);
    }
    if (m_randomRate > 0 && m_random.generateDouble() < m_randomRate) {
        static constexpr SimFault kinds[] = {SimFault::Reject,      SimFault::Silent, SimFault::Garbage,
                                             SimFault::BadCrc,      SimFault::Split,  SimFault::Late,
                                             SimFault::WrongCommand};
        faults.append(kinds[m_random.bounded(int(std::size(kinds)))]);
    }
    return faults;
}

QList<SimChunk> ControllerSimulator::answer(quint8 command, const QByteArray& data, qsizetype requestLength)
{
    ++m_requests;
    const int page = pageOf(command, data);
    const QList<SimFault> faults = faultsFor(command, page);
    if (m_exchanges.size() >= kExchangeMemory)
        m_exchanges.remove(0, kExchangeMemory / 2);
    m_exchanges.append(SimExchange{command, page, faults});

    const bool reject = faults.contains(SimFault::Reject) && carriesStatus(command);
    const QByteArray response = respond(command, data, reject);
    if (faults.contains(SimFault::Corrupt) && !reject)
        corruptStored(command, page);
    if (faults.contains(SimFault::Silent))
        return {};

    QByteArray lead;
    if (faults.contains(SimFault::Garbage))
        lead += QByteArray::fromHex("6E00FF616E") + QByteArray(1, static_cast<char>(command));
    if (faults.contains(SimFault::BadCrc)) {
        QByteArray bad = response;
        bad[bad.size() - 1] = static_cast<char>(bad.back() ^ 0x5A);
        lead += bad;
    }
    if (faults.contains(SimFault::WrongCommand))
        lead += frame(command ^ 0x01, response.mid(2, response.size() - 3));
    // Noise that happens to end in a frame the tool would take for the answer (the garbage's "6E cmd"
    // followed by the answer's own first bytes is one for 0x8D) would change what the fault means.
    while (!lead.isEmpty() && response.size() >= 3 &&
           firstAcceptedFrame(lead + response, command, response.size()) < lead.size())
        lead.chop(1);
    const QByteArray whole = lead + response;

    QList<QByteArray> pieces;
    if (faults.contains(SimFault::Split) && whole.size() > 1) {
        const qsizetype cut1 = qMax<qsizetype>(1, whole.size() / 3);
        const qsizetype cut2 = qMax<qsizetype>(cut1 + 1, 2 * whole.size() / 3);
        pieces << whole.left(cut1) << whole.mid(cut1, cut2 - cut1) << whole.mid(cut2);
        pieces.removeAll(QByteArray());
    } else {
        pieces << whole;
    }

    QList<SimChunk> chunks;
    qint64 delay = faults.contains(SimFault::Late) ? m_lateDelayUs : 0;
    qsizetype sent = 0;
    for (int i = 0; i < pieces.size(); ++i) {
        sent += pieces[i].size();
        if (m_pacing)
            delay = qMax(delay, lineTimeUs(requestLength + sent));
        if (i > 0)
            delay += m_splitGapUs;
        chunks.append(SimChunk{delay + m_latencyUs, pieces[i]});
    }
    return chunks;
}

void ControllerSimulator::corruptStored(quint8 command, int page)
{
    if (command == Cmd::StorePage && page >= 0 && page < kPageCount)
        m_pages[page][0] ^= 1;
    else if (quint8* setting = (command & 0x80) == 0 ? settingOf(command) : nullptr)
        *setting ^= 1;
}

QByteArray ControllerSimulator::respond(quint8 command, const QByteArray& data, bool reject)
{
    switch (command) {
    case Cmd::ReadProgramNumber:
        return frame(command, le32(m_program));
    case Cmd::ReadSerialNumber:
        return frame(command, le32(m_serial));
    case Cmd::SelectReadPage:
    case Cmd::ReadPage:
    case Cmd::LoadPage:
    case Cmd::StorePage:
        return pageAnswer(command, data, reject);
    default:
        break;
    }
    quint8* setting = settingOf(command);
    if (!setting)
        return QByteArray();
    if (command & 0x80)
        return frame(command, QByteArray(1, static_cast<char>(*setting)));
    return writeSetting(command, *setting, firstByte(data), reject);
}

quint8* ControllerSimulator::settingOf(quint8 command)
{
    // A reading command is its writing command with bit 7 set.
    switch (command & 0x7F) {
    case Cmd::WritePolling:
        return &m_polling;
    case Cmd::WriteAddress1:
        return &m_address1;
    case Cmd::WriteAddress2:
        return &m_address2;
    case Cmd::WriteGauge:
        return &m_gauge;
    case Cmd::WriteReserve:
        return &m_reserve;
    case Cmd::WriteInterval:
        return &m_interval;
    case Cmd::WriteOutputMode:
        return &m_outputMode;
    default:
        return nullptr;
    }
}

QByteArray ControllerSimulator::writeSetting(quint8 command, quint8& setting, quint8 value, bool reject)
{
    // The controller knows three output modes and polls only the first two sensors.
    const bool refused = reject || (command == Cmd::WriteOutputMode && value > 2);
    if (!refused)
        setting = command == Cmd::WritePolling ? value & 0x03 : value;
    if (!refused && command == Cmd::WriteOutputMode)
        m_nextLoadPage = 0; // a whole-configuration write goes on with page 0
    return statusFrame(command, refused);
}

QByteArray ControllerSimulator::pageAnswer(quint8 command, const QByteArray& data, bool reject)
{
    const quint8 page = firstByte(data);
    switch (command) {
    case Cmd::SelectReadPage: {
        const bool refused = reject || page >= kPageCount;
        if (!refused)
            m_selectedPage = page;
        return statusFrame(command, refused);
    }
    case Cmd::ReadPage:
        return frame(command, PackPage(m_pages[m_selectedPage]));
    case Cmd::LoadPage:
        if (!reject)
            m_loadedPage = data;
        return statusFrame(command, reject);
    default: { // Cmd::StorePage
        const bool refused = reject || page >= kPageCount || m_loadedPage.size() != kPageBytes;
        if (!refused) {
            m_pages[page] = UnpackPage(m_loadedPage);
            m_nextLoadPage = (page + 1) % kPageCount;
        }
        return statusFrame(command, refused);
    }
    }
}
