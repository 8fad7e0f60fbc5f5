// SPDX-License-Identifier: GPL-3.0-or-later
// The receive path of the controller object: arbitrary byte streams arriving in arbitrary pieces while a
// process runs, mixed with well-formed answers so that every step of every process is reached. Whatever
// arrives, nothing crashes, no frame with a wrong CRC or command is ever accepted, the first good frame is
// the one taken, a running process always has its time-out armed (so it cannot hang), and each process
// ends exactly once with a result code that fits what happened on the line.
//
// The input: a process number, a page choice and the line's initial state, then operations: raw bytes,
// a good answer (whole, in pieces or after noise), a good frame for another command, a frame with a wrong
// CRC, a time-out tick, and refusing or accepting writes.

#include "link/Processes.h"
#include "tests/common/MemoryLink.h"
#include "tests/common/ZentikTestSeam.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QStringList>

#include <optional>

namespace {

// The protocol as this check knows it, written out apart from the link's own tables.
quint8 crc8(const QByteArray& bytes)
{
    quint8 crc = 0;
    for (char c : bytes) {
        auto b = static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ b) & 0x01) != 0;
            crc = static_cast<quint8>(crc >> 1);
            if (mix)
                crc ^= 0x8C;
            b = static_cast<quint8>(b >> 1);
        }
    }
    return crc;
}

QByteArray frame(quint8 start, quint8 cmd, const QByteArray& data)
{
    QByteArray f;
    f.append(static_cast<char>(start));
    f.append(static_cast<char>(cmd));
    f.append(data);
    f.append(static_cast<char>(crc8(f)));
    return f;
}

int responseLength(quint8 cmd)
{
    switch (cmd) {
    case 0x81:
    case 0x82:
        return 7;
    case 0x8A:
        return 67;
    case 0x84:
    case 0x85:
    case 0x86:
    case 0x89:
    case 0x8B:
    case 0x8C:
    case 0x8D:
    case 0x8E:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x0E:
        return 4;
    default:
        return 0;
    }
}

int requestDataLength(quint8 cmd)
{
    if (cmd == 0x0A)
        return 64;
    return (cmd & 0x80) == 0 || cmd == 0x89 ? 1 : 0;
}

int rejectionCode(quint8 cmd)
{
    switch (cmd) {
    case 0x05:
        return 3;
    case 0x06:
        return 4;
    case 0x04:
        return 5;
    case 0x0B:
        return 6;
    case 0x0C:
        return 7;
    case 0x0D:
        return 8;
    case 0x0E:
        return 9;
    case 0x89:
        return 10;
    case 0x0A:
        return 11;
    case 0x09:
        return 12;
    default:
        return -1;
    }
}

bool mayBeSentBy(int process, quint8 cmd)
{
    const QByteArray readChain = QByteArray::fromHex("82858684818B8C8D8E");
    const QByteArray writeChain = QByteArray::fromHex("820506040B0C0D0E");
    const char c = static_cast<char>(cmd);
    switch (process) {
    case 1:
        return readChain.contains(c);
    case 2:
        return writeChain.contains(c);
    case 3:
        return cmd == 0x89 || cmd == 0x8A;
    case 4:
        return cmd == 0x0A || cmd == 0x09;
    case 5:
        return readChain.contains(c) || cmd == 0x89 || cmd == 0x8A;
    default:
        return writeChain.contains(c) || cmd == 0x0A || cmd == 0x09;
    }
}

quint8 finalCommand(int process)
{
    switch (process) {
    case 1:
        return 0x8E;
    case 2:
        return 0x0E;
    case 3:
    case 5:
        return 0x8A;
    default:
        return 0x09;
    }
}

// The first frame of the command with a correct CRC, as the described search finds it.
std::optional<QByteArray> firstFrame(const QByteArray& bytes, quint8 cmd, int length)
{
    for (qsizetype i = 0; length >= 3 && i + length <= bytes.size(); ++i) {
        if (static_cast<quint8>(bytes[i]) != 0x6E || static_cast<quint8>(bytes[i + 1]) != cmd)
            continue;
        const QByteArray candidate = bytes.mid(i, length);
        if (crc8(candidate.left(length - 1)) == static_cast<quint8>(candidate.back()))
            return candidate;
    }
    return std::nullopt;
}

struct Line
{
    int process = 0;
    MemoryLink* link = nullptr;
    QByteArray sinceWrite; // everything received since the last request was written
    quint8 expected = 0;   // the command of that request
    bool awaiting = false; // no answer accepted since that request
    bool ticked = false;
    bool failWrites = false;
    int accepted = 0;
    quint8 lastAccepted = 0;
    QByteArray lastAcceptedData;
    int completions = 0;
    int pages = 0;
    QStringList tail;
};

void checkWritten(Line& line, const QByteArray& f)
{
    FUZZ_CHECK(f.size() >= 3);
    const auto cmd = static_cast<quint8>(f[1]);
    FUZZ_CHECK(static_cast<quint8>(f[0]) == 0x61);
    FUZZ_CHECK(mayBeSentBy(line.process, cmd));
    FUZZ_CHECK(f.size() == 3 + requestDataLength(cmd));
    FUZZ_CHECK(crc8(f.left(f.size() - 1)) == static_cast<quint8>(f.back()));
    if (cmd == 0x89 || cmd == 0x09)
        FUZZ_CHECK(static_cast<quint8>(f[2]) < 64);
    line.expected = cmd;
    line.sinceWrite.clear();
    line.awaiting = true;
}

void checkAccepted(Line& line, const TZENTIK& z)
{
    const TPacket& r = z.Command.Response;
    FUZZ_CHECK(r.Cmd == line.expected);
    const int length = responseLength(r.Cmd);
    FUZZ_CHECK(length > 0 && r.Data.size() == length - 3);
    const QByteArray accepted = frame(0x6E, r.Cmd, r.Data);
    FUZZ_CHECK(static_cast<quint8>(accepted.back()) == r.CRC);
    FUZZ_CHECK(line.sinceWrite.contains(accepted));
    if (z.ProcessId != 0) {
        // While a process waits, its buffer holds exactly what arrived since the request: the earliest wins.
        const auto first = firstFrame(line.sinceWrite, r.Cmd, length);
        FUZZ_CHECK(first && *first == accepted);
    }
    line.awaiting = false;
    ++line.accepted;
    line.lastAccepted = r.Cmd;
    line.lastAcceptedData = r.Data;
}

void checkFinished(Line& line, const TZENTIK& z)
{
    FUZZ_CHECK(z.ProcessId == 0);
    FUZZ_CHECK(!z.Timer->isActive());
    ++line.completions;
    const int code = z.LastError;
    FUZZ_CHECK(line.tail.size() >= 2 && line.tail.last().isEmpty());
    FUZZ_CHECK(line.tail[line.tail.size() - 2] == QStringLiteral("ERROR: ") + QString::number(code));
    switch (code) {
    case 0:
        FUZZ_CHECK(line.lastAccepted == finalCommand(line.process));
        if (line.process >= 3) {
            FUZZ_CHECK(z.PageIndex == z.LastPage + 1);
            FUZZ_CHECK(line.pages == (line.process >= 5 ? 64 : 32));
        }
        break;
    case 1:
        FUZZ_CHECK(line.ticked);
        break;
    case 2:
        // The refused request never reached the line; from now on the object looks for its answer.
        FUZZ_CHECK(line.failWrites);
        FUZZ_CHECK(mayBeSentBy(line.process, z.Command.Request.Cmd));
        line.expected = z.Command.Request.Cmd;
        line.sinceWrite.clear();
        line.awaiting = false;
        break;
    default:
        FUZZ_CHECK(code >= 3 && code <= 12);
        FUZZ_CHECK(rejectionCode(line.lastAccepted) == code);
        FUZZ_CHECK(mayBeSentBy(line.process, line.lastAccepted));
        FUZZ_CHECK(line.lastAcceptedData.size() >= 1 && line.lastAcceptedData[0] == 1);
    }
}

// Bytes arrive; when a process was waiting and a good answer is now among them, it must have been taken.
void feed(Line& line, TZENTIK& z, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    const bool waiting = z.ProcessId != 0 && line.awaiting;
    const quint8 expected = line.expected;
    const int acceptedBefore = line.accepted;
    line.sinceWrite.append(bytes);
    const QByteArray seen = line.sinceWrite;
    line.link->feed(bytes);
    if (waiting && line.accepted == acceptedBefore)
        FUZZ_CHECK(!firstFrame(seen, expected, responseLength(expected)));
}

QByteArray answerData(FuzzInput& in, quint8 cmd, bool accepting)
{
    const int length = responseLength(cmd);
    if (length < 4)
        return QByteArray();
    if (accepting)
        return QByteArray(length - 3, '\0');
    return in.take(static_cast<size_t>(length - 3));
}

void feedInPieces(Line& line, TZENTIK& z, FuzzInput& in, const QByteArray& bytes)
{
    const int pieces = 1 + in.byte() % 3;
    qsizetype at = 0;
    for (int i = 1; i < pieces && at < bytes.size(); ++i) {
        const qsizetype cut = at + 1 + in.byte() % qMax<qsizetype>(1, bytes.size() - at);
        feed(line, z, bytes.mid(at, cut - at));
        at = cut;
    }
    feed(line, z, bytes.mid(at));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnsureCoreApplication();
    FuzzInput in(data, size);
    Line line;
    line.process = 1 + in.byte() % 6;
    const quint8 pageChoice = in.byte();
    const quint8 lineState = in.byte();

    TZENTIK z([&line](const QString& name, QObject* parent) -> SerialLink* {
        line.link = new MemoryLink(name, parent);
        return line.link;
    });
    FUZZ_CHECK(z.OpenPort());
    line.link->onWrite = [&line](const QByteArray& f) { checkWritten(line, f); };
    line.failWrites = (lineState & 0x01) != 0;
    line.link->setFailWrites(line.failWrites);
    QObject::connect(&z, &TZENTIK::LogLine, &z, [&line, &z](const QString& text) {
        if (qEnvironmentVariableIsSet("ZENTIK_FUZZ_TRACE"))
            std::fprintf(stderr, "  %s\n", qPrintable(text));
        line.tail.append(text);
        if (line.tail.size() > 8)
            line.tail.removeFirst();
        if (text == QLatin1String("Response has been ACCEPTED"))
            checkAccepted(line, z);
    });
    QObject::connect(&z, &TZENTIK::PageTransferred, &z, [&line] { ++line.pages; });
    for (const ProcessKind& kind : kProcesses)
        z.SetCompletionEvent(kind.id, nullptr, [&line](TZENTIK* zentik) { checkFinished(line, *zentik); });

    switch (pageChoice % 4) {
    case 0:
        z.SelectSensorTable(1);
        break;
    case 1:
        z.SelectSensorTable(2);
        break;
    default:
        ZentikTestSeam::pageIndex(z) = static_cast<qint8>(in.byte()) * 3; // outside 0..32 as well
    }
    (z.*FindProcess(line.process)->start)(1000);

    while (!in.empty()) {
        const quint8 cmd = line.expected;
        switch (in.byte() % 8) {
        case 0:
        case 1:
            feed(line, z, in.take(in.byte() % 96));
            break;
        case 2:
            feedInPieces(line, z, in, frame(0x6E, cmd, answerData(in, cmd, false)));
            break;
        case 3: {
            const QByteArray noise = in.take(in.byte() % 16);
            feedInPieces(line, z, in, noise + frame(0x6E, cmd, answerData(in, cmd, false)));
            break;
        }
        case 4: {
            const auto other = static_cast<quint8>(cmd ^ (1 + in.byte() % 255));
            feed(line, z, frame(0x6E, other, answerData(in, cmd, false)));
            break;
        }
        case 5: {
            QByteArray bad = frame(0x6E, cmd, answerData(in, cmd, false));
            bad[bad.size() - 1] = static_cast<char>(bad.back() ^ (1 + in.byte() % 255));
            feed(line, z, bad);
            break;
        }
        case 6:
            if (z.Timer->isActive()) {
                line.ticked = true;
                ZentikTestSeam::timeOut(z);
            }
            break;
        default:
            if (in.byte() % 8 == 0) {
                line.failWrites = !line.failWrites;
                line.link->setFailWrites(line.failWrites);
            } else {
                feed(line, z, frame(0x6E, cmd, answerData(in, cmd, true)));
            }
        }
        if (z.ProcessId != 0)
            FUZZ_CHECK(z.Timer->isActive());
    }
    if (z.ProcessId != 0) {
        FUZZ_CHECK(z.Timer->isActive());
        line.ticked = true;
        ZentikTestSeam::timeOut(z);
    }
    FUZZ_CHECK(line.completions == 1);
    FUZZ_CHECK(z.ProcessId == 0);
    if (qEnvironmentVariableIsSet("ZENTIK_FUZZ_TRACE"))
        std::fprintf(stderr, "process %d ended with %d after %d answers\n", line.process, z.LastError,
                     line.accepted);
    return 0;
}
