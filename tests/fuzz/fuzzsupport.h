// Shared by the fuzz targets: a reader that turns the fuzzer's bytes into
// values and variant lists, a clock that never waits, a private working tree
// for the parsers that read fixed relative paths, and a hidapi of the
// targets' own (fuzzstubhid.cpp) whose device answers from the fuzz bytes.
#pragma once

#include "clock.h"
#include "devicedescriptor.h"
#include "hid_thread.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>

namespace fuzz {

class Reader
{
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool empty() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    int number();                     // a signed 32-bit value
    QByteArray bytes(std::size_t n);  // up to n bytes, fewer at the end
    QByteArray rest() { return bytes(size - at); }
    QString text();                   // a length byte, then that many bytes as UTF-8
    QVariant variant(int depth = 0);  // numbers, texts, booleans, lists, nothing
    QVariantList list(int maxLength = 200);

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

// A clock that never waits: the transport's pacing costs nothing.
class NullClock : public Clock
{
public:
    void sleepMs(int) override {}
    void processEvents() override {}
    qint64 epochSeconds() override { return 1'700'000'000; }
};

// Once per process: the application object, the clock and a working
// directory with an empty modules/ tree. It changes the working directory, so
// the fuzzer must be given its corpus by absolute path.
void setUp();

// Writes `data` as the file at `path` so that the settings layer reads it
// afresh (it caches parsed files by size and modification time).
void writeFresh(const QString& path, const QByteArray& data);

// The device the stub hidapi plays: every answer it gives is taken from
// `script` (bytes, in call order); an exhausted script answers with failures.
void scriptDevice(Reader* script);

// A transport connected to the stub device through one descriptor.
void connect(Hid_Thread& hid, bool encoded, int reportLength);

} // namespace fuzz
