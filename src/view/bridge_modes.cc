#include "view/bridge_modes.h"

#include <csignal>
#include <new>
#include <vector>

#include "bridge/board_chain.h"
#include "bridge/chain_import.h"
#include "bridge/openocd_script.h"
#include "bridge/svf_padding.h"
#include "jtag/bitbang_server.h"
#include "lint/board_input.h"
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

// The chain of the request's input board, with its selections. The warnings of a board.cfg go to
// `messages` whatever the outcome, and the reason of a failure after them.
bool chain_of_input(const ViewRequest& request, std::vector<ChainTap>& chain,
                    std::string& messages) {
  LoadedBoard loaded;
  if (!read_checked_board(request, request.input, loaded, messages)) return false;
  std::string problem;
  if (done(board_chain(loaded.board, request.selections, chain, problem))) return true;
  messages += request.input + ": error: " + problem + "\n";
  return false;
}

}  // namespace

bool makes_bridge_text(ViewMode mode) {
  return mode == ViewMode::kOpenocd || mode == ViewMode::kSvf || mode == ViewMode::kImport;
}

bool make_bridge_text(const ViewRequest& request, std::string& result, std::string& problem) {
  if (request.mode == ViewMode::kImport) {
    ImportSettings settings;
    settings.search = request.search;
    return done(import_board(request.imports, settings, result, problem));
  }
  std::vector<ChainTap> chain;
  if (!chain_of_input(request, chain, problem)) return false;
  if (request.mode == ViewMode::kOpenocd) {
    return done(openocd_script(chain, request.chip, request.input, result));
  }
  std::string refusal;
  if (done(svf_padding(chain, request.svf_device, request.input, result, refusal))) return true;
  problem += request.input + ": error: " + refusal + "\n";
  return false;
}

int serve_board(const ViewRequest& request, std::FILE* out, std::FILE* err) {
  std::vector<ChainTap> chain;
  std::string messages;
  const bool read = chain_of_input(request, chain, messages);
  std::fputs(messages.c_str(), err);  // the warnings before the port, or why there is none
  if (!read) return 1;
  std::vector<SimulatedDevice> devices;
  for (const ChainTap& tap : chain) {
    if (tap.in_chain) devices.push_back({tap.name, tap.ir_length});
  }
  g_stop_serving = 0;
  std::signal(SIGINT, stop_serving);
  std::signal(SIGTERM, stop_serving);
  // The handlers stay: a signal after the server has stopped finds the program on its way out.
  const ServeSettings settings{request.port, &g_stop_serving};
  return done(serve_devices(std::move(devices), request.log, settings, out, err)) ? 0 : 1;
}

}  // namespace kvr
