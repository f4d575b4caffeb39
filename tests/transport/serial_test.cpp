// The serial ports against pseudo-terminals linked under USB device names.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

#include "base/settings.h"
#include "config/board_tables.h"
#include "peers.h"
#include "plugin_fixture.h"
#include "protocol/protocol_state.h"
#include "transport/lan.h"
#include "transport/reply.h"
#include "transport/serial.h"

using testing::HasSubstr;

namespace {

std::vector<std::string> OpenedNames() {
    std::vector<std::string> names;
    for (const SerialPort& port : serial.ports) names.push_back(port.ComPortName);
    std::sort(names.begin(), names.end());
    return names;
}

// Reads port p until at least count bytes have come; returns them.
std::string ReadUntil(int p, std::size_t count) {
    std::string got;
    for (int turn = 0; turn < 100 && got.size() < count; ++turn) {
        testenv::WaitReadable(serial.ports[p].comport, 200);
        std::size_t n = ReadSerialPort(p);
        got.append(reinterpret_cast<const char*>(recs_usb), n);
    }
    return got;
}

class SerialTest : public PluginTest {
  protected:
    std::string Dev(const std::string& name) { return folder.deviceDir() + name; }
    void StartWith(const std::string& extra = "") {
        folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n" + extra);
        StartAndInitialize();
    }
};

}  // namespace

TEST_F(SerialTest, ScanOpensExactlyTheUsbSerialNames) {
    testenv::PseudoTerminal modem, wch, shortName;
    modem.LinkAs(Dev("tty.usbmodem1421"));
    modem.LinkAs(Dev("cu.usbmodem1421"));  // one device, two names: two ports
    wch.LinkAs(Dev("cu.wchusbserial10"));
    shortName.LinkAs(Dev("cu.usb"));  // six characters is enough
    shortName.LinkAs(Dev("tty.u"));   // five is not
    testenv::WriteFile(Dev("tty.Bluetooth-Incoming-Port"), "");
    testenv::WriteFile(Dev("ttyS0"), "");
    symlink("/nonexistent/device", Dev("tty.usbserial-gone").c_str());

    testing::internal::CaptureStderr();
    StartWith();
    std::string log = testing::internal::GetCapturedStderr();
    std::vector<std::string> expected = {Dev("cu.usb"), Dev("cu.usbmodem1421"),
                                         Dev("cu.wchusbserial10"), Dev("tty.usbmodem1421")};
    EXPECT_EQ(OpenedNames(), expected);
    EXPECT_EQ(serial.max_cycles, 5);
    EXPECT_THAT(log, HasSubstr("\nFound serial port: " + Dev("tty.usbserial-gone")));
    EXPECT_THAT(log, HasSubstr("open_port: Unable to open serial port - : "));
    EXPECT_THAT(log, HasSubstr("\nSerial port " + Dev("cu.usb") + " opened"));
    for (const SerialPort& port : serial.ports) {
        EXPECT_EQ(port.SerialIndices, -1);
        EXPECT_TRUE(port.SerialBuffer.empty());
    }
}

#ifdef __linux__
TEST_F(SerialTest, LinuxNamesOfUsbAdaptersAreScannedToo) {
    testenv::PseudoTerminal acm, usb;
    acm.LinkAs(Dev("ttyACM0"));
    usb.LinkAs(Dev("ttyUSB3"));
    StartWith();
    EXPECT_EQ(OpenedNames(), (std::vector<std::string>{Dev("ttyACM0"), Dev("ttyUSB3")}));
}
#endif

TEST_F(SerialTest, PortsAreRawNonBlockingAtTheConfiguredSpeed) {
    testenv::PseudoTerminal board;
    board.LinkAs(Dev("tty.usbmodem1"));
    StartWith("USB_BAUD = 57600\n");
    ASSERT_EQ(serial.ports.size(), 1u);
    int fd = serial.ports[0].comport;
    termios now{};
    ASSERT_EQ(tcgetattr(fd, &now), 0);
    EXPECT_EQ(cfgetospeed(&now), B57600);
    EXPECT_EQ(cfgetispeed(&now), B57600);
    EXPECT_EQ(now.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(now.c_lflag, 0u);
    EXPECT_EQ(now.c_oflag, 0u);
    EXPECT_NE(fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
}

TEST_F(SerialTest, AnUnsupportedSpeedLeavesThePortsSpeed) {
    testenv::PseudoTerminal board;
    board.LinkAs(Dev("tty.usbmodem1"));
    termios before{};
    int probe = open(board.devicePath().c_str(), O_RDWR | O_NOCTTY);
    tcgetattr(probe, &before);
    cfsetospeed(&before, B19200);
    cfsetispeed(&before, B19200);
    tcsetattr(probe, TCSANOW, &before);
    StartWith("USB_BAUD = 9600\n");
    termios now{};
    tcgetattr(serial.ports[0].comport, &now);
    EXPECT_EQ(cfgetospeed(&now), B19200);
    close(probe);
}

// Boards send binary bytes: a carriage return, XON and XOFF must arrive as
// sent, not be translated or swallowed by the terminal driver.
TEST_F(SerialTest, BytesFromTheBoardReachThePortBufferUnchanged) {
    testenv::PseudoTerminal board;
    board.LinkAs(Dev("tty.usbmodem1"));
    StartWith();
    const std::string bytes(
        "{\x01"
        "E\r\x11\x13\x83}",
        8);
    board.Write(bytes);
    EXPECT_EQ(ReadUntil(0, bytes.size()), bytes);
}

TEST_F(SerialTest, AReadTakesAtMost64BytesAndNothingWhenNothingWaits) {
    testenv::PseudoTerminal board;
    board.LinkAs(Dev("tty.usbmodem1"));
    StartWith();
    EXPECT_EQ(ReadSerialPort(0), 0u);
    EXPECT_EQ(ReadSerialPort(1), 0u) << "no such port";
    board.Write(std::string(100, 'z'));
    testenv::WaitReadable(serial.ports[0].comport);
    std::size_t first = ReadSerialPort(0);
    EXPECT_GT(first, 0u);
    EXPECT_LE(first, 64u);
    EXPECT_EQ(ReadUntil(0, 100 - first), std::string(100 - first, 'z'));
}

TEST_F(SerialTest, SendReachesTheBoardByteForByte) {
    testenv::PseudoTerminal board;
    board.LinkAs(Dev("tty.usbmodem1"));
    StartWith();
    std::string upload(61, '\0');
    upload[0] = '~';
    upload[8] = '\n';  // no output processing may turn this into CR LF
    upload[60] = 1;
    EXPECT_EQ(Send_USB(serial.ports[0].comport, upload.data(), upload.size()), 61);
    EXPECT_EQ(bytes_sent, 61);
    EXPECT_EQ(board.ReadExactly(61), upload);
}

TEST_F(SerialTest, ClearUSBClosesUnusedPortsAndRenumbersTheBoards) {
    testenv::PseudoTerminal a, b, c;
    a.LinkAs(Dev("tty.usbmodemA"));
    b.LinkAs(Dev("tty.usbmodemB"));
    c.LinkAs(Dev("tty.usbmodemC"));
    StartWith();
    ASSERT_EQ(serial.ports.size(), 3u);
    EXPECT_EQ(serial.max_cycles, 4);
    std::sort(
        serial.ports.begin(), serial.ports.end(),
        [](const SerialPort& x, const SerialPort& y) { return x.ComPortName < y.ComPortName; });
    int closedFirst = serial.ports[0].comport;
    serial.UsedUSB = {Dev("tty.usbmodemB")};
    BuildBoardRows(0, 1);
    Boards[0].SerialIndex = 1;  // the board on port B
    BuildBoardRows(1, 2);       // a LAN board
    serial.cycle = 4;

    testing::internal::CaptureStderr();
    ClearUSB();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(OpenedNames(), std::vector<std::string>{Dev("tty.usbmodemB")});
    EXPECT_EQ(Boards[0].SerialIndex, 0);
    EXPECT_EQ(Boards[1].SerialIndex, -1);
    EXPECT_EQ(serial.max_cycles, 2);
    EXPECT_EQ(serial.cycle, 2);
    EXPECT_EQ(serial.SerialCurrent, 0);
    EXPECT_EQ(fcntl(closedFirst, F_GETFD), -1) << "closed for real";
    EXPECT_THAT(log, HasSubstr("\nClearing unused serial ports"));
    EXPECT_THAT(log, HasSubstr("\nClosing " + Dev("tty.usbmodemA")));
    EXPECT_THAT(log, HasSubstr("\nClosing " + Dev("tty.usbmodemC")));
}

TEST_F(SerialTest, UsbFixKeepsEveryPortButAResetStillClosesThem) {
    testenv::PseudoTerminal a;
    a.LinkAs(Dev("tty.usbmodemA"));
    StartWith("USB_FIX = 1\n");
    testing::internal::CaptureStderr();
    ClearUSB();
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                HasSubstr("\nUSB_FIX active. All ports remain open."));
    EXPECT_EQ(serial.ports.size(), 1u);

    int before = serial.ports[0].comport;
    testing::internal::CaptureStderr();
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log, HasSubstr("\nClosing " + Dev("tty.usbmodemA")));
    EXPECT_EQ(serial.ports.size(), 1u) << "reopened by the startup sequence";
    EXPECT_TRUE(settings.USB_FIX) << "read again from config.ini";
    (void)before;
}

// Opening again while open must not overwrite (and so leak) a descriptor.
TEST_F(SerialTest, OpeningAgainKeepsTheOpenSocketAndPorts) {
    testenv::PseudoTerminal a;
    a.LinkAs(Dev("tty.usbmodemA"));
    StartWith();
    const int sock = lan.sock, port = serial.ports.at(0).comport;
    const int open = testenv::OpenDescriptorCount();
    CreateLanSocket();
    EXPECT_EQ(ScanSerialPorts(), 0);
    EXPECT_EQ(lan.sock, sock);
    ASSERT_EQ(serial.ports.size(), 1u);
    EXPECT_EQ(serial.ports[0].comport, port);
    EXPECT_EQ(serial.max_cycles, 2);
    EXPECT_EQ(testenv::OpenDescriptorCount(), open);
}

// Closing a port with output the device has not taken must not wait for the
// driver's drain timeout: every close flushes the port first. (A
// pseudo-terminal passes output on at once, so the flush shows in the input
// the plugin left unread, seen through a second descriptor.) A board without
// flow-control lines must not be able to stall writes.
TEST_F(SerialTest, PortsUseNoHardwareFlowControlAndAreFlushedWhenClosed) {
    testenv::PseudoTerminal a, b;
    a.LinkAs(Dev("tty.usbmodemA"));
    b.LinkAs(Dev("tty.usbmodemB"));
    std::vector<int> probes;
    for (const testenv::PseudoTerminal* pty : {&a, &b}) {
        probes.push_back(open(pty->devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
        termios flow{};
        tcgetattr(probes.back(), &flow);
        flow.c_cflag |= CRTSCTS;
        tcsetattr(probes.back(), TCSANOW, &flow);
    }
    StartWith();
    ASSERT_EQ(serial.ports.size(), 2u);
    for (const SerialPort& port : serial.ports) {
        termios now{};
        tcgetattr(port.comport, &now);
        EXPECT_EQ(now.c_cflag & CRTSCTS, 0u) << port.ComPortName;
    }
    a.Write("{pending}");
    b.Write("{pending}");
    for (int probe : probes) ASSERT_TRUE(testenv::WaitReadable(probe));
    plugin.module().disable();  // closes both ports
    for (int probe : probes) {
        int waiting = -1;
        ioctl(probe, FIONREAD, &waiting);
        EXPECT_EQ(waiting, 0) << "flushed before it was closed";
        close(probe);
    }
}

// After a disable the ports are closed already: the reset of the next
// enable removes them without claiming to close them.
TEST_F(SerialTest, PortsClosedByADisableAreNotClosedAgainInTheLog) {
    testenv::PseudoTerminal a;
    a.LinkAs(Dev("tty.usbmodemA"));
    StartWith();
    plugin.module().disable();
    testing::internal::CaptureStderr();
    plugin.module().enable();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log, HasSubstr("\nClearing unused serial ports"));
    EXPECT_EQ(log.find("\nClosing "), std::string::npos) << log;
    EXPECT_THAT(log, HasSubstr("\nSerial port " + Dev("tty.usbmodemA") + " opened"));
}

// A device that cannot be opened when it is found (its permissions not set
// yet, another program holding it) is tried again at every rescan, with its
// failure logged once. Here its name first leads nowhere.
TEST_F(SerialTest, ADeviceThatCouldNotBeOpenedIsTriedAgainAtTheNextRescans) {
    const std::string late = folder.root() + "/late-device";
    ASSERT_EQ(symlink(late.c_str(), Dev("tty.usbmodemLate").c_str()), 0);
    testing::internal::CaptureStderr();
    StartWith();
    EXPECT_TRUE(serial.ports.empty());
    for (int rescan = 0; rescan < 3; ++rescan) EXPECT_TRUE(RescanSerialPorts(4));
    EXPECT_TRUE(serial.ports.empty());
    testenv::PseudoTerminal board;
    board.LinkAs(late);
    EXPECT_TRUE(RescanSerialPorts(4));
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(serial.ports.size(), 1u) << log;
    EXPECT_EQ(serial.ports[0].ComPortName, Dev("tty.usbmodemLate"));
    EXPECT_EQ(serial.ports[0].probesLeft, 4) << "asked as any device found late";
    for (const std::string& line :
         {"\nFound serial port: " + Dev("tty.usbmodemLate"), std::string("open_port: Unable"),
          "\nSerial port " + Dev("tty.usbmodemLate") + " cannot be opened: ",
          "\nSerial port " + Dev("tty.usbmodemLate") + " opened"}) {
        EXPECT_EQ(testenv::Occurrences(log, line), 1) << line << " in:" << log;
    }
}
