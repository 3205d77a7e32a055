// The simulated scan path as a client sees it: TAP states, captures, shifts and updates driven
// byte by byte through the remote_bitbang protocol, and the server under clients that misbehave.
#include <fcntl.h>
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
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

// The bits of a scan, first shifted first: `fields` from TDO to TDI, each a register's bits from
// bit 0 up.
std::string bits(std::initializer_list<const char*> fields) {
  std::string all;
  for (const char* field : fields) all += field;
  return all;
}

// A linker l (8-bit IR) between a (3 bits, at TDI) and z (5 bits, at TDO), with s0 (2 bits) on its
// sub-path 0 and s2a, s2b (4 and 1 bits) on its sub-path 2.
SimulatedPath linker_path(int selected_at_start) {
  std::vector<SimulatedDevice> devices = {{"a", 3},   {"l", 8},   {"s0", 2},
                                          {"s2a", 4}, {"s2b", 1}, {"z", 5}};
  devices[1].is_linker = true;
  devices[1].selected_at_start = selected_at_start;
  for (const std::size_t d : {2, 3, 4}) devices[d].linker = 1;
  devices[3].sub_path = devices[4].sub_path = 2;
  return simulated_path(std::move(devices), true);
}

const char kSelect[] = "01000000";  // the linker's instruction 0x02, bit 0 first

TEST(BitbangTest, TheLinkerSwitchesTheChainThroughItsSelectRegister) {
  const struct {
    int start;
    std::string bytes, answers, log;
  } cases[] = {
      // Under SELECT the linker's data register is 3 bits wide and captures the selection, 4 for
      // none; a 0 shifted in selects sub-path 0 at Update-DR, and the next scan shifts through s0.
      {kNoSelection,
       kReset + scan(true, bits({"11111", kSelect, "111"})) + scan(false, bits({"0", "000", "0"})) +
           scan(true, std::string(18, '1')),
       bits({"10000", "10000000", "100"}) + bits({"0", "001", "0"}) +
           bits({"10000", "10", "10000000", "100"}),
       "ir a=7 l=02 z=1F\nselect l=0\nir a=7 l=FF s0=3 z=1F\n"},
      // From sub-path 0 at start, a value from 4 to 7 selects none; under any other instruction
      // (0x82 here) the linker's data register is its one-bit BYPASS and switches nothing.
      {0,
       kReset + scan(true, bits({"11111", "11", kSelect, "111"})) +
           scan(false, bits({"0", "0", "111", "0"})) +
           scan(true, bits({"11111", "01000001", "111"})) + scan(false, "0001"),
       bits({"10000", "10", "10000000", "100"}) + bits({"0", "0", "000", "0"}) +
           bits({"10000", "10000000", "100"}) + "0000",
       "ir a=7 l=02 s0=3 z=1F\nselect l=none\nir a=7 l=82 z=1F\n"},
      // Test-Logic-Reset, by TMS as by TRST, takes the linker back to its start-up sub-path 2 and
      // to BYPASS.
      {2,
       kReset + scan(true, bits({"11111", "1", "1111", kSelect, "111"})) +
           scan(false, bits({"0", "0", "0", "100", "0"})) + kReset + scan(false, "0000000") +
           scan(true, bits({"11111", "1", "1111", kSelect, "111"})) +
           scan(false, bits({"0", "0", "0", "000", "0"})) + "tr" + clock(0, 0) +
           scan(true, std::string(21, '1')),
       bits({"10000", "1", "1000", "10000000", "100"}) + bits({"0", "0", "0", "010", "0"}) +
           "00000" + "00" + bits({"10000", "1", "1000", "10000000", "100"}) +
           bits({"0", "0", "0", "010", "0"}) + bits({"10000", "1", "1000", "10000000", "100"}),
       "ir a=7 l=02 s2a=F s2b=1 z=1F\nselect l=1\nselect l=2\nir a=7 l=02 s2a=F s2b=1 z=1F\n"
       "select l=0\nselect l=2\nir a=7 l=FF s2a=F s2b=1 z=1F\n"},
  };
  for (const auto& c : cases) {
    SimulatedPath path = linker_path(c.start);
    BitbangPins pins;
    std::string answers;
    const BitbangStop stop = feed_bitbang(pins, path, c.bytes, answers);
    EXPECT_EQ(stop.reason, BitbangStop::Reason::kNone);
    EXPECT_EQ(answers, c.answers) << c.log;
    EXPECT_EQ(path.log, c.log);
  }
  // A log limit stops the feed at the byte whose update reaches it, with the rest of the bytes
  // left to act on.
  SimulatedPath path = linker_path(kNoSelection);
  BitbangPins pins;
  std::string answers;
  const std::string bytes = kReset + scan(true, std::string(16, '1')) + scan(true, "0");
  const BitbangStop full = feed_bitbang(pins, path, bytes, answers, 5);
  EXPECT_EQ(full.reason, BitbangStop::Reason::kLogFull);
  EXPECT_EQ(path.log, "ir a=7 l=FF z=1F\n");
  EXPECT_EQ(bytes.substr(full.used), clock(0, 0) + scan(true, "0"));
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

// Sockets that act as a row of the next test says: a listener whose clients come in turn, each
// sending its packets and then closing, where a send may never find room and an accept may fail.
struct FakeNetwork final : Network {
  std::vector<std::vector<std::string>> clients;  // each client's packets
  std::size_t vanish = 0;                         // clients that go before they are accepted
  std::string refusal;                            // the reason every accept fails with
  bool room = true;                               // whether a send finds room
  std::size_t stop_after = 0;  // the waits for room after which the stop flag is raised
  volatile std::sig_atomic_t* stop = nullptr;
  std::size_t accepts = 0, room_waits = 0, next = 0, current = 0;
  std::string sent;

  SocketId listen_local(std::uint16_t, std::uint16_t& bound, std::string&) override {
    bound = 4242;
    return 1;
  }
  int wait_readable(SocketId socket, int) override {
    if (socket != 1 || vanish > 0 || next < clients.size() || !refusal.empty()) return 1;
    *stop = 1;  // no one is left
    return 0;
  }
  int wait_writable(SocketId, int) override {
    if (++room_waits == stop_after) *stop = 1;
    return room ? 1 : 0;
  }
  SocketId accept_client(SocketId, std::string& problem) override {
    ++accepts;
    problem = refusal;
    if (!refusal.empty() || (vanish > 0 && vanish-- > 0)) return kNoSocket;
    current = next++;
    return 2;
  }
  SocketId connect_local(std::uint16_t) override { return kNoSocket; }
  long receive(SocketId, char* buffer, std::size_t capacity) override {
    std::vector<std::string>& packets = clients[current];
    if (packets.empty()) return 0;
    const std::string packet = packets.front();
    packets.erase(packets.begin());
    const std::size_t size = std::min(capacity, packet.size());
    std::copy_n(packet.begin(), size, buffer);
    return static_cast<long>(size);
  }
  long send_some(SocketId, std::string_view bytes) override {
    sent += bytes;
    return static_cast<long>(bytes.size());
  }
  bool send_all(SocketId, std::string_view) override { return false; }
  void close_socket(SocketId) override {}
};

// The server looks at its stop flag whatever a client does, says why it cannot go on and stops
// rather than spin, and writes the log out as it grows.
TEST(BitbangTest, TheServerStopsWhenToldAndSaysWhyItCannotGoOn) {
  const std::string ir_scans = kReset + scan(true, "111111111") + scan(true, "011010010");
  const struct {
    const char* says;
    std::vector<std::vector<std::string>> clients;
    std::size_t vanish = 0;
    std::string refusal;
    bool room = true, log = false, readonly_out = false;
    std::size_t stop_after = 0;
    Outcome status;
    std::string out, err, sent;
    std::size_t accepts = 0, room_waits = 0;
  } cases[] = {
      {"a client that sends without reading holds the server only until the stop flag",
       {{kReset + "RRRR"}},
       0,
       "",
       false,
       false,
       false,
       3,
       Outcome::kDone,
       "4242\n",
       "",
       "",
       1,
       3},
      {"an accept the system refuses ends the server after one try, with the reason",
       {},
       0,
       "accept: Too many open files",
       true,
       false,
       false,
       0,
       Outcome::kFailed,
       "4242\n",
       "kvrview: cannot accept a client: accept: Too many open files\n",
       "",
       1,
       0},
      {"a client gone before its accept leaves the server waiting for the next, which quits",
       {{"RQ"}},
       1,
       "",
       true,
       false,
       false,
       0,
       Outcome::kDone,
       "4242\n",
       "",
       "1",
       2,
       1},
      {"a port that cannot be printed ends the server before any client",
       {{"Q"}},
       0,
       "",
       true,
       false,
       true,
       0,
       Outcome::kFailed,
       "",
       "kvrview: cannot write the port to standard output: ",
       "",
       0,
       0},
      {"the log of one packet is written out whole and in order, a small buffer at a time",
       {{ir_scans + "Q"}},
       0,
       "",
       true,
       true,
       false,
       0,
       Outcome::kDone,
       "4242\nir a=7 b=1 c=1F\nir a=2 b=0 c=16\n",
       "",
       "100001100100001100",
       1,
       1},
  };
  testing::Sandbox sandbox;
  sandbox.write("readonly", "");
  for (const auto& c : cases) {
    volatile std::sig_atomic_t stop = 0;
    FakeNetwork network;
    network.clients = c.clients;
    network.vanish = c.vanish;
    network.refusal = c.refusal;
    network.room = c.room;
    network.stop_after = c.stop_after;
    network.stop = &stop;
    ServeSettings settings;
    settings.stop = &stop;
    settings.log_buffer = 10;
    SimulatedPath path = simulated_path({{"a", 3}, {"b", 1}, {"c", 5}}, c.log);
    const testing::UniqueFile out(c.readonly_out
                                      ? std::fopen(sandbox.path("readonly").c_str(), "rb")
                                      : testing::stream_with("").release());
    const testing::UniqueFile err = testing::stream_with("");
    EXPECT_EQ(serve_bitbang(network, path, settings, out.get(), err.get()), c.status) << c.says;
    if (!c.readonly_out) {
      EXPECT_EQ(testing::contents_of(out.get()), c.out) << c.says;
    }
    EXPECT_TRUE(testing::contents_of(err.get()).starts_with(c.err)) << c.says;
    EXPECT_EQ(c.err.empty(), testing::contents_of(err.get()).empty()) << c.says;
    EXPECT_EQ(network.sent, c.sent) << c.says;
    EXPECT_EQ(network.accepts, c.accepts) << c.says;
    EXPECT_EQ(network.room_waits, c.room_waits) << c.says;
  }
}

}  // namespace
}  // namespace kvr
