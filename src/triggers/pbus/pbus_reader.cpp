#include "triggers/pbus/pbus_reader.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <chrono>
#include <thread>

namespace tamberline {

namespace {

constexpr int kReadWaitMs = 20;
constexpr int kOpenWaitMs = 3000;
constexpr qint64 kReplyBacklog = 1024;
constexpr qint64 kStalledWriteMs = 1000;

QSerialPort::Parity QtParity(PbusParity parity) {
    switch (parity) {
        case PbusParity::kOdd: return QSerialPort::OddParity;
        case PbusParity::kEven: return QSerialPort::EvenParity;
        case PbusParity::kNone: break;
    }
    return QSerialPort::NoParity;
}

// Linux pseudo-terminals always run 8 bits without parity and refuse any
// other framing; they carry the bytes all the same.
bool IsPseudoTerminal(const std::string& port) {
    return QFileInfo(QString::fromStdString(port)).canonicalFilePath().startsWith("/dev/pts/");
}

bool SetUp(QSerialPort& port, const PbusSetup& setup) {
    port.setPortName(QString::fromStdString(setup.port));
    if (!port.open(QIODevice::ReadWrite)) {
        return false;
    }
    const bool set =
        port.setBaudRate(PbusBaudRate(setup.rate)) && port.setDataBits(QSerialPort::Data8) &&
        (port.setParity(QtParity(PbusPortParity(setup.parity))) || IsPseudoTerminal(setup.port)) &&
        port.setStopBits(QSerialPort::OneStop) && port.setFlowControl(QSerialPort::SoftwareControl);
    if (!set) {
        port.close();
        return false;
    }
    // Pseudo-terminals have no modem lines; the controller does not need them.
    port.setDataTerminalReady(true);
    port.setRequestToSend(true);
    port.clear(QSerialPort::AllDirections);
    port.clearError();
    return true;
}

bool Failed(QSerialPort::SerialPortError error) {
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

}  // namespace

PbusReader::PbusReader(Handlers handlers) : handlers_(std::move(handlers)) {}

PbusReader::~PbusReader() {
    Stop();
}

bool PbusReader::Start(const PbusSetup& setup, PbusParser& parser) {
    Stop();
    stop_ = false;
    // 0 while opening, 1 opened, -1 failed; shared, so a late answer never
    // writes into a caller that gave up.
    auto opened = std::make_shared<std::atomic<int>>(0);
    thread_.reset(QThread::create([this, setup, &parser, opened] { Run(setup, &parser, opened); }));
    thread_->start();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOpenWaitMs);
    while (opened->load() == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (opened->load() != 1) {
        Stop();
        return false;
    }
    return true;
}

void PbusReader::Stop() {
    if (!thread_) {
        return;
    }
    stop_ = true;
    thread_->wait();
    thread_.reset();
}

void PbusReader::Run(PbusSetup setup, PbusParser* parser,
                     std::shared_ptr<std::atomic<int>> opened) {
    QSerialPort port;
    if (!SetUp(port, setup)) {
        *opened = -1;
        return;
    }
    *opened = 1;
    PbusLineAssembler assembler;
    qint64 lastBacklog = 0;
    QDeadlineTimer writeStall(QDeadlineTimer::Forever);
    while (!stop_) {
        port.waitForReadyRead(kReadWaitMs);
        if (Failed(port.error())) {
            break;
        }
        // Whatever has come is taken, however much: a flood is read and
        // dropped by the assembler, never left to stall the line.
        const QByteArray bytes = port.readAll();
        assembler.Feed(
            bytes.constData(), static_cast<size_t>(bytes.size()), [&](const std::string& line) {
                PbusEffects effects = parser->Parse(line, setup.config);
                if (!effects.reply.empty() && port.bytesToWrite() < kReplyBacklog) {
                    port.write(effects.reply.data(), static_cast<qint64>(effects.reply.size()));
                }
                if (effects.shown && handlers_.effects) {
                    handlers_.effects(effects);
                }
            });
        if (Failed(port.error())) {
            break;
        }
        // Replies the line has not taken for a second are given up.
        const qint64 backlog = port.bytesToWrite();
        if (backlog == 0 || backlog < lastBacklog) {
            writeStall.setRemainingTime(kStalledWriteMs);
        } else if (writeStall.hasExpired()) {
            port.clear(QSerialPort::Output);
            writeStall.setRemainingTime(kStalledWriteMs);
        }
        lastBacklog = port.bytesToWrite();
        if (backlog > 0) {
            port.waitForBytesWritten(0);
        }
    }
    const bool lost = !stop_;
    port.close();
    if (lost && handlers_.lost) {
        handlers_.lost();
    }
}

}  // namespace tamberline
