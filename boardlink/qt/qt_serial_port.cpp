#include "boardlink/qt/qt_serial_port.hpp"

#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>

#include <QDeadlineTimer>
#include <QThread>

namespace keld::board {

namespace {

struct Speed {
  int baud;
  speed_t code;
};
constexpr Speed kSpeeds[] = {
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {921600, B921600},
    {1000000, B1000000}, {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000},
};

}  // namespace

int CommEventOf(QSerialPort::SerialPortError e) {
  switch (e) {
    case QSerialPort::ResourceError:  // the device went away
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::UnknownError:
      return kErDevice;
    default:
      return 0;  // no error, time-outs of our own zero waits, open failures
  }
}

QtSerialPort::QtSerialPort() {
  QObject::connect(&port_, &QSerialPort::errorOccurred,
                   [this](QSerialPort::SerialPortError e) { on_error(e); });
}

QtSerialPort::~QtSerialPort() {
  QObject::disconnect(&port_, nullptr, nullptr, nullptr);
  if (port_.isOpen()) port_.close();
}

void QtSerialPort::on_error(QSerialPort::SerialPortError e) {
  if (int code = CommEventOf(e)) {
    pending_events_.push_back(code);
    error_ = port_.errorString().toStdString();
    // The device has gone (the adapter pulled out, the line hung up): reads
    // fail on it, and nothing written can reach the units until the port is
    // opened again. A line that hung up reads as its end, and Qt then words
    // a stale errno: that text is left out.
    if (e == QSerialPort::ResourceError) {
      gone_ = true;
      error_ = "the device " + device_ + " has gone (" + error_ + ")";
    } else if (e == QSerialPort::ReadError) {
      gone_ = true;
      error_ = "the device " + device_ + " has gone: it can no longer be read";
    }
  }
}

bool QtSerialPort::open() {
  queue_.clear();
  pending_events_.clear();
  gone_ = false;
  device_ = PortDevice(number_);
  if (port_.isOpen()) {
    error_ = "Port " + std::to_string(number_) + " is already open";
    return false;
  }
  port_.setPortName(QString::fromStdString(device_));
  if (!port_.open(QIODevice::ReadWrite)) {
    error_ = "Port " + std::to_string(number_) + " (" + device_ +
             ") cannot be opened: " + port_.errorString().toStdString();
    port_.clearError();
    return false;
  }
  // Whatever the device held from before the opening is not for us.
  port_.clear(QSerialPort::AllDirections);
  pending_events_.clear();
  return true;
}

void QtSerialPort::close() {
  if (port_.isOpen()) port_.close();
  port_.clearError();
  gone_ = false;
  queue_.clear();
  pending_events_.clear();
}

int QtSerialPort::device_baud_rate() const {
  if (!port_.isOpen()) return 0;
  termios t{};
  if (tcgetattr(static_cast<int>(port_.handle()), &t) != 0) return 0;
  const speed_t s = cfgetospeed(&t);
  for (const Speed& k : kSpeeds)
    if (k.code == s) return k.baud;
  return 0;
}

bool QtSerialPort::set_baud_rate(int baud) {
  if (!port_.isOpen()) {
    error_ = "the port is not open";
    return false;
  }
  const bool set = port_.setBaudRate(baud);
  port_.clearError();
  // What counts is what the device now holds.
  if (!set || device_baud_rate() != baud) {
    error_ = "the device " + device_ + " refuses " + std::to_string(baud) + " baud";
    return false;
  }
  return true;
}

bool QtSerialPort::write(const uint8_t* data, size_t n) {
  if (!port_.isOpen()) {
    error_ = "the port is not open";
    return false;
  }
  if (gone_) return false;  // error_ says so since the device went
  const qint64 w = port_.write(reinterpret_cast<const char*>(data), static_cast<qint64>(n));
  if (w != static_cast<qint64>(n)) {
    error_ = "write to " + device_ + " failed: " + port_.errorString().toStdString();
    return false;
  }
  // Qt queues writes for its event loop; hand them to the device now. Qt
  // takes the bytes into its buffer whatever the device's state: only this
  // hand-over tells that the device refused them.
  if (!port_.flush()) {
    if (!gone_) error_ = "write to " + device_ + " failed: " + port_.errorString().toStdString();
    port_.clear(QSerialPort::Output);
    return false;
  }
  return true;
}

void QtSerialPort::drain_output(int ms) {
  if (!port_.isOpen()) return;
  QDeadlineTimer deadline(ms);
  while (port_.bytesToWrite() > 0 && !deadline.hasExpired())
    port_.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
  // Then until the driver has sent it on.
  const int fd = static_cast<int>(port_.handle());
  for (;;) {
    int queued = 0;
    if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0 || deadline.hasExpired()) break;
    QThread::usleep(100);
  }
  port_.clearError();
}

void QtSerialPort::take_from_device() {
  if (!port_.isOpen()) return;
  if (port_.bytesToWrite() > 0) port_.flush();
  port_.waitForReadyRead(0);  // moves what the device has into Qt's buffer
  const QByteArray got = port_.readAll();
  if (got.isEmpty()) return;
  const auto* p = reinterpret_cast<const uint8_t*>(got.constData());
  size_t n = static_cast<size_t>(got.size());
  if (buffer_size_ > 0) {
    const size_t room = queue_.size() < static_cast<size_t>(buffer_size_)
                            ? static_cast<size_t>(buffer_size_) - queue_.size()
                            : 0;
    if (n > room) {  // the receive buffer is full: the rest is lost
      n = room;
      pending_events_.push_back(kErRxOver);
    }
  }
  queue_.append(p, n);
}

void QtSerialPort::poll_events() {
  take_from_device();
  std::vector<int> events;
  events.swap(pending_events_);
  if (!handler_) return;
  for (int e : events) handler_(e);
  if (port_.isOpen() && threshold_ > 0 && queue_.size() >= static_cast<size_t>(threshold_))
    handler_(kEvReceive);
}

std::vector<uint8_t> QtSerialPort::read() {
  take_from_device();
  return queue_.take(input_length_ > 0 ? static_cast<size_t>(input_length_) : queue_.size());
}

void QtSerialPort::discard_input() {
  if (port_.isOpen()) {
    port_.clear(QSerialPort::Input);
    port_.readAll();
  }
  queue_.clear();
}

void QtSerialPort::discard_output() {
  if (port_.isOpen()) port_.clear(QSerialPort::Output);
}

}  // namespace keld::board
