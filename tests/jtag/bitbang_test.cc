// The simulated scan path as a client sees it: TAP states, captures, shifts and updates driven
// byte by byte through the remote_bitbang protocol, and the server under clients that misbehave.
#include <fcntl.h>
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <random>
#include <thread>

#include "jtag/bitbang_protocol.h"
#include "jtag/bitbang_server.h"
#include "support/harness.h"

namespace kvr {
namespace {

// The bytes of one TCK period with TMS and TDI at the given levels, reading TDO while TCK is low.
std::string clock(int tms, int tdi, bool read = false) {
  const char low = static_cast<char>('0' + 2 * tms + tdi);
  return std::string(1, low) + (read ? "R" : "") + static_cast<char>(low + 4);
}

// From Run-Test/Idle: a scan of the IR (or of the DR) that shifts in `bits` (first bit first),
// reads TDO before each shift, and goes back to Run-Test/Idle through Update.
std::string scan(bool ir, const std::string& bits) {
  std::string bytes = clock(1, 0) + (ir ? clock(1, 0) : "") + clock(0, 0) + clock(0, 0);
  for (std::size_t i = 0; i < bits.size(); ++i) {
    bytes += clock(i + 1 == bits.size(), bits[i] == '1', true);
  }
  return bytes + clock(1, 0) + clock(0, 0);
}

const std::string kReset = clock(1, 0) + clock(1, 0) + clock(1, 0) + clock(1, 0) + clock(1, 0) +
                           clock(0, 0);  // to Test-Logic-Reset, then Run-Test/Idle

TEST(BitbangTest, ThePathCapturesShiftsAndUpdatesAsItsClientDrivesIt) {
  // Devices a (3 bits), b (1) and c (5), from TDI to TDO: c's bits leave first.
  const struct {
    std::string bytes, answers, log;
  } cases[] = {
      // IR capture: each device's ...01, c's bit 0 first; the captured bits shifted back in.
      {kReset + scan(true, "100001100"), "100001100", "ir a=1 b=1 c=01\n"},
      // Bits for c (0b10110, bit 0 first), then b, then a (0b010).
      {kReset + scan(true, "011010010"), "100001100", "ir a=2 b=0 c=16\n"},
      // DR: three one-bit BYPASS registers capturing 0, so TDI comes out three bits later.
      {kReset + scan(false, "1101001"), "0001101", ""},
      // TDO is high outside the shift states; TRST holds every TAP in Test-Logic-Reset, whatever
      // the clock does, until it is released: the scan after it starts from Test-Logic-Reset.
      {kReset + clock(1, 0) + clock(0, 0) + clock(0, 0, true) + "tRr" + clock(0, 0) + "s" +
           scan(true, "111111111") + "u" + clock(0, 0) + clock(1, 0) + clock(0, 0) + clock(0, 0) +
           clock(0, 0, true) + "r",
       "111000011001", "ir a=7 b=1 c=1F\n"},
      // Exit1, Pause and Exit2 keep the shift stages: the scan goes on where it stood (Capture-IR,
      // Exit1, Pause, Exit2, two shifts, Exit1, Update), and the LED bytes change nothing.
      {kReset + clock(1, 0) + clock(1, 0) + clock(0, 0) + clock(1, 0) + clock(0, 0) + clock(1, 0) +
           clock(0, 0) + clock(0, 1, true) + clock(1, 1, true) + clock(1, 0) + "Bb",
       "10", "ir a=6 b=0 c=18\n"},
  };
  for (const auto& c : cases) {
    SimulatedPath path = simulated_path({{"a", 3}, {"b", 1}, {"c", 5}}, true);
    BitbangPins pins;
    std::string answers;
    const BitbangStop stop = feed_bitbang(pins, path, c.bytes, answers);
    EXPECT_EQ(stop.reason, BitbangStop::Reason::kNone) << c.bytes;
    EXPECT_EQ(stop.used, c.bytes.size());
    EXPECT_EQ(answers, c.answers) << c.bytes;
    EXPECT_EQ(path.log, c.log) << c.bytes;
  }
  // A path without devices is a wire from TDI to TDO; any byte the protocol lacks stops the
  // session where it stands, and so does 'Q'.
  SimulatedPath wire = simulated_path({}, true);
  BitbangPins pins;
  std::string answers;
  const std::string bytes = kReset + scan(false, "0110") + "R\n5";
  const BitbangStop unknown = feed_bitbang(pins, wire, bytes, answers);
  EXPECT_EQ(answers, "01101");
  EXPECT_EQ(unknown.reason, BitbangStop::Reason::kUnknownByte);
  EXPECT_EQ(unknown.byte, '\n');
  EXPECT_EQ(unknown.used, bytes.size() - 1);
  const BitbangStop quit = feed_bitbang(pins, wire, "RQR", answers);
  EXPECT_EQ(quit.reason, BitbangStop::Reason::kQuit);
  EXPECT_EQ(quit.used, 2u);
  EXPECT_EQ(answers, "011011") << "after the session ended, nothing more is read";
}

// A loopback client that connects, sends and closes, through the sockets the server uses.
class Client {
 public:
  Client(Network& network, int port)
      : network_(network), socket_(network.connect_local(static_cast<std::uint16_t>(port))) {}
  ~Client() {
    if (connected()) network_.close_socket(socket_);
  }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;
  bool connected() const { return socket_ != kNoSocket; }
  void send(const std::string& bytes) const { network_.send_all(socket_, bytes); }
  // Everything the server sends until it closes the connection.
  std::string receive_all() const {
    std::string got;
    char buffer[256];
    for (long n; (n = network_.receive(socket_, buffer, sizeof buffer)) > 0;) {
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

 private:
  Network& network_;
  SocketId socket_;
};

// The server keeps serving through clients that vanish in the middle of a scan or before their
// answer is sent, that send bytes the protocol lacks, and ten thousand connections in a row; then
// it still answers as the path must and ends with a client's 'Q'.
TEST(BitbangTest, TheServerOutlivesClientsThatMisbehave) {
  int pipe_ends[2];
#if defined(_WIN32)
  ASSERT_EQ(_pipe(pipe_ends, 256, _O_BINARY), 0);
#else
  ASSERT_EQ(::pipe(pipe_ends), 0);
#endif
  std::FILE* out = fdopen(pipe_ends[1], "w");
  const testing::UniqueFile err = testing::stream_with("");
  SimulatedPath path = simulated_path({{"a", 3}, {"b", 1}, {"c", 5}}, false);
  const std::unique_ptr<Network> network = system_network();
  Outcome status = Outcome::kFailed;
  std::thread server([&] { status = serve_bitbang(*network, path, {}, out, err.get()); });
  std::string port_line;
  for (char c = 0; read(pipe_ends[0], &c, 1) == 1 && c != '\n';) port_line += c;
  const int port = std::atoi(port_line.c_str());
  ASSERT_GT(port, 0) << port_line;

  std::mt19937 random(7);
  const std::string scan_bytes = kReset + scan(true, "011010010");
  for (int i = 0; i < 10000; ++i) {
    Client client(*network, port);
    ASSERT_TRUE(client.connected()) << i;
    if (i % 10 == 1) client.send(scan_bytes.substr(0, random() % scan_bytes.size()));
    if (i % 100 == 2) {  // random bytes: an unknown one closes the connection
      std::string noise(64, '\0');
      for (char& c : noise) {
        c = static_cast<char>(random());
        if (c == 'Q') c = 'R';  // a 'Q' would end the server
      }
      client.send(noise + "\x01");
      client.receive_all();
    }
  }
  Client last(*network, port);
  last.send("r" + kReset + scan(true, "111111111") + "Q");
  EXPECT_EQ(last.receive_all(), "100001100");
  server.join();
  EXPECT_EQ(status, Outcome::kDone);
  EXPECT_NE(testing::contents_of(err.get()).find("kvrview: the client sent the byte 0x"),
            std::string::npos);
  std::fclose(out);
  close(pipe_ends[0]);
}

}  // namespace
}  // namespace kvr
