#include "view/bridge_modes.h"

#include <csignal>
#include <new>
#include <vector>

#include "bridge/board_chain.h"
#include "bridge/chain_import.h"
#include "bridge/openocd_script.h"
#include "bridge/svf_padding.h"
#include "jtag/bitbang_server.h"
#include "view/board_warnings.h"

namespace kvr {
namespace {

// Raised by SIGINT and SIGTERM while --serve runs. The one piece of global state in kvrview: a
// signal handler can reach nothing else, and a volatile sig_atomic_t is what it may write.
volatile std::sig_atomic_t g_stop_serving = 0;

extern "C" void stop_serving(int) {
  g_stop_serving = 1;
}

// Whether the bridge was done; its refusal of memory goes on as kvrview's own, to the memory
// diagnostic of run_view.
bool done(Outcome outcome) {
  if (outcome == Outcome::kNoMemory) throw std::bad_alloc();
  return outcome == Outcome::kDone;
}

// The chain of the request's input board, with its selections, and its test clock when asked.
// The warnings of a board.cfg go to `messages` whatever the outcome, and the reason of a failure
// after them.
bool chain_of_input(const ViewRequest& request, std::vector<ChainTap>& chain, std::string& messages,
                    std::string* frequency = nullptr) {
  LoadedBoard loaded;
  if (!read_checked_board(request, request.input, loaded, messages)) return false;
  if (frequency != nullptr) *frequency = tclk_frequency(loaded.board);
  std::string problem;
  if (done(board_chain(loaded.board, request.selections, chain, problem))) return true;
  messages += request.input + ": error: " + problem + "\n";
  return false;
}

// Every device of the chain, each sub-path device after its linker, which starts with the
// selection --select gives it.
std::vector<SimulatedDevice> simulated_devices(const std::vector<ChainTap>& chain) {
  std::vector<SimulatedDevice> devices;
  std::size_t linker = kOnMainPath;  // the last linker, whose sub-path devices follow it
  for (const ChainTap& tap : chain) {
    SimulatedDevice device{tap.name, tap.ir_length};
    if (tap.is_linker) {
      linker = devices.size();
      device.is_linker = true;
      device.selected_at_start = tap.selected == kNoSubPath ? kNoSelection : tap.selected;
    } else if (!tap.linker.empty()) {
      device.linker = linker;
      device.sub_path = tap.sub_path;
    }
    devices.push_back(std::move(device));
  }
  return devices;
}

}  // namespace

bool makes_bridge_text(ViewMode mode) {
  return mode == ViewMode::kOpenocd || mode == ViewMode::kSvf || mode == ViewMode::kImport;
}

bool make_bridge_text(const ViewRequest& request, std::string& result, std::string& problem,
                      std::vector<std::string>* files_read) {
  if (request.mode == ViewMode::kImport) {
    ImportSettings settings;
    settings.search = request.search;
    ImportResult imported;
    const bool made = done(import_board(request.imports, settings, imported, problem));
    result = std::move(imported.board);
    if (files_read != nullptr) *files_read = std::move(imported.files_read);
    return made;
  }
  std::vector<ChainTap> chain;
  std::string frequency;
  if (!chain_of_input(request, chain, problem, &frequency)) return false;
  std::string refusal;
  const bool made =
      request.mode == ViewMode::kOpenocd
          ? done(openocd_script(chain, request.chip, request.input, result, refusal, frequency))
          : done(svf_padding(chain, request.svf_device, request.input, result, refusal));
  if (made) return true;
  problem += request.input + ": error: " + refusal + "\n";
  return false;
}

int serve_board(const ViewRequest& request, std::FILE* out, std::FILE* err) {
  std::vector<ChainTap> chain;
  std::string messages;
  const bool read = chain_of_input(request, chain, messages);
  std::fputs(messages.c_str(), err);  // the warnings before the port, or why there is none
  if (!read) return 1;
  g_stop_serving = 0;
  std::signal(SIGINT, stop_serving);
  std::signal(SIGTERM, stop_serving);
#if defined(SIGPIPE)
  // A reader of the log that has gone makes the write fail, which is reported, rather than end
  // the program by a signal.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  // The handlers stay: a signal after the server has stopped finds the program on its way out.
  ServeSettings settings;
  settings.port = request.port;
  settings.stop = &g_stop_serving;
  return done(serve_devices(simulated_devices(chain), request.log, settings, out, err)) ? 0 : 1;
}

}  // namespace kvr
