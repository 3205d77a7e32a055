#include "bridge/tcl_child.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "bridge/heap_in_use.h"
#include "bridge/script_policy.h"
#include "bridge/tcl_chain_reader.h"

#if defined(KVR_HEAP_FROM_SANITIZER)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

namespace kvr {
namespace {

// The child's descriptor for its result.
constexpr int kResultDescriptor = 3;

// How a child that sends no result ends: exit statuses of its own, which neither a script (whose
// `exit' ends nothing) nor the sanitizers (1) nor valgrind give.
constexpr int kEndedByMemory = 120;
constexpr int kEndedByStack = 121;
constexpr int kEndedByTime = 122;
constexpr int kEndedByFault = 123;
constexpr int kEndedUnsent = 124;

// A fault this near the stack pointer is the stack growing past its limit; one below the lowest
// addresses a write through the null pointer plus an offset, as Jim makes when malloc fails: Jim's
// sizes are ints, below 2 GiB.
constexpr std::uintptr_t kStackReach = std::uintptr_t{1} << 20;
constexpr std::uint64_t kLowAddresses = sizeof(void*) == 8 ? std::uint64_t{1} << 32 : 0x10000;

std::uintptr_t stack_pointer(const void* context) {
  const auto* machine = &static_cast<const ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
  return static_cast<std::uintptr_t>(machine->gregs[REG_RSP]);
#elif defined(__i386__)
  return static_cast<std::uintptr_t>(machine->gregs[REG_ESP]);
#elif defined(__aarch64__)
  return static_cast<std::uintptr_t>(machine->sp);
#else
  (void)machine;
  return 0;
#endif
}

// The handlers of the child, which may only end it.
extern "C" void on_fault(int, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  const std::uintptr_t stack = stack_pointer(context);
  if (stack != 0 && address + kStackReach >= stack && address <= stack + kStackReach) {
    ::_exit(kEndedByStack);
  }
  ::_exit(address < kLowAddresses ? kEndedByMemory : kEndedByFault);
}

extern "C" void on_time(int) {
  ::_exit(kEndedByTime);
}

#if defined(KVR_HEAP_FROM_SANITIZER)
// The bound of the child's heap under a sanitizer, which the sanitizer's allocation hook, a
// function that is given no data, can only reach here: set once, in the child, before its script
// runs, and read by nothing else. The one global of its kind, as a signal flag is.
std::size_t g_child_heap_bound = ~std::size_t{0};

extern "C" void on_allocation(const volatile void*, std::size_t) {
  if (heap_in_use() > g_child_heap_bound) ::_exit(kEndedByMemory);
}

// The sanitizer takes its hooks in pairs.
extern "C" void on_release(const volatile void*) {}
#endif

// The pipe of the result as kResultDescriptor, every other descriptor closed; standard error
// stays open under the sanitizers, so that their reports are seen.
void keep_only_result(int result) {
  if (result != kResultDescriptor) ::dup2(result, kResultDescriptor);
#if defined(KVR_HEAP_FROM_SANITIZER)
  constexpr bool kKeepStandardError = true;
#else
  constexpr bool kKeepStandardError = false;
#endif
  for (int descriptor = 0; descriptor < kResultDescriptor; ++descriptor) {
    if (!kKeepStandardError || descriptor != STDERR_FILENO) ::close(descriptor);
  }
#if defined(__linux__)
  if (::close_range(kResultDescriptor + 1, ~0U, 0) == 0) return;
#endif
  const long open_max = std::min(::sysconf(_SC_OPEN_MAX), 1L << 16);
  for (int descriptor = kResultDescriptor + 1; descriptor < open_max; ++descriptor) {
    ::close(descriptor);
  }
}

#if !defined(KVR_HEAP_FROM_SANITIZER)
// The bytes of address space the process holds, from /proc; 0 where it cannot be read.
std::size_t address_space() {
  const int statm = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (statm < 0) return 0;
  char text[64] = {};
  const ssize_t got = ::read(statm, text, sizeof text - 1);
  ::close(statm);
  unsigned long long pages = 0;
  if (got <= 0 || std::sscanf(text, "%llu", &pages) != 1) return 0;
  return static_cast<std::size_t>(pages) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}
#endif

void set_limit(int resource, rlim_t value) {
  const rlimit limit{value, value};
  ::setrlimit(resource, &limit);
}

void limit_child(const TclLimits& limits) {
  const std::size_t bound = limits.memory + kChildMemoryMargin;
#if defined(KVR_HEAP_FROM_SANITIZER)
  g_child_heap_bound = heap_in_use() + bound;
  __sanitizer_install_malloc_and_free_hooks(on_allocation, on_release);
#else
  // What the heap holds free, inherited from the parent, is taken without growing the address
  // space: it counts against the bound, which keeps the margin at least.
  const std::size_t free = std::min(heap_free(), limits.memory);
  if (const std::size_t held = address_space(); held != 0) {
    set_limit(RLIMIT_AS, held + bound - free);
  }
#endif
  // The timer stops the child at its time; RLIMIT_CPU a second later, should it not.
  const double seconds = std::max(limits.seconds, 0.001);
  itimerval timer{};
  timer.it_value.tv_sec = static_cast<time_t>(seconds);
  timer.it_value.tv_usec = static_cast<suseconds_t>((seconds - std::floor(seconds)) * 1e6);
  ::setitimer(ITIMER_PROF, &timer, nullptr);
  const auto cpu = static_cast<rlim_t>(std::ceil(seconds)) + 1;
  const rlimit processor{cpu, cpu + 1};
  ::setrlimit(RLIMIT_CPU, &processor);
  set_limit(RLIMIT_FSIZE, 0);
  set_limit(RLIMIT_NPROC, 0);
  set_limit(RLIMIT_CORE, 0);
}

void handle(int signal, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction action {};
  action.sa_sigaction = handler;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

extern "C" void on_time_signal(int signal, siginfo_t*, void*) {
  on_time(signal);
}

bool write_whole(int descriptor, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

[[noreturn]] void run_child(int result, ScriptPlace* place, const std::vector<NamedScript>& scripts,
                            const ScriptFiles& files, const TclLimits& limits) {
  keep_only_result(result);
  // Left at the end of its catch, so that the exception is freed before the child ends.
  int status = kEndedByFault;
  try {
    // The handlers run on a stack of their own, which a stack overflow leaves usable.
    std::vector<char> handler_stack(std::size_t{256} << 10);
    stack_t alternate{};
    alternate.ss_sp = handler_stack.data();
    alternate.ss_size = handler_stack.size();
    ::sigaltstack(&alternate, nullptr);
    handle(SIGSEGV, on_fault);
    handle(SIGPROF, on_time_signal);
    handle(SIGXCPU, on_time_signal);
    limit_child(limits);
    const std::string record =
        encode_evaluation(evaluate_tcl_scripts(scripts, files, limits, place));
    // The result goes whole: the timer may no longer end the child.
    sigset_t time_signals;
    sigemptyset(&time_signals);
    sigaddset(&time_signals, SIGPROF);
    sigaddset(&time_signals, SIGXCPU);
    ::sigprocmask(SIG_BLOCK, &time_signals, nullptr);
    ::_exit(write_whole(kResultDescriptor, record) ? 0 : kEndedUnsent);
  } catch (const std::bad_alloc&) {
    status = kEndedByMemory;
  } catch (...) {
    status = kEndedByFault;
  }
  ::_exit(status);
}

using Clock = std::chrono::steady_clock;

// The child while it runs, its pipe and the memory it shares: whichever way the parent leaves,
// the child is killed and reaped, and its pipe and memory are given back.
struct Child {
  pid_t pid = -1;
  int pipe = -1;
  ScriptPlace* place = nullptr;
  struct sigaction child_signal {};  // SIGCHLD's action before: its status must not be lost
  bool killed = false;               // by the parent, at its time
  int status = 0;

  ~Child() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }
    if (pipe >= 0) ::close(pipe);
    if (place != nullptr) ::munmap(place, sizeof *place);
    ::sigaction(SIGCHLD, &child_signal, nullptr);
  }
};

int milliseconds_until(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

void kill_at_time(Child& child) {
  ::kill(child.pid, SIGKILL);
  child.killed = true;
}

// Reads the child's result until its pipe ends, or until the deadline, when the child is killed;
// a result larger than any the child can make kills it too.
std::string read_result(Child& child, Clock::time_point deadline, std::size_t largest) {
  std::string record;
  char block[1 << 16];
  for (;;) {
    const int wait = milliseconds_until(deadline);
    if (wait == 0) {
      kill_at_time(child);
      break;
    }
    pollfd ready{child.pipe, POLLIN, 0};
    const int polled = ::poll(&ready, 1, wait);
    if (polled < 0 && errno == EINTR) continue;
    if (polled == 0) continue;
    const ssize_t got = polled < 0 ? 0 : ::read(child.pipe, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (record.size() + static_cast<std::size_t>(got) > largest) {
      ::kill(child.pid, SIGKILL);
      break;
    }
    record.append(block, static_cast<std::size_t>(got));
  }
  return record;
}

// Waits for the child to end, killing it at the deadline.
void reap(Child& child, Clock::time_point deadline) {
  for (;;) {
    const pid_t ended = ::waitpid(child.pid, &child.status, WNOHANG);
    if (ended == child.pid || (ended < 0 && errno != EINTR)) break;
    if (ended == 0 && milliseconds_until(deadline) == 0 && !child.killed) kill_at_time(child);
    if (ended == 0) ::poll(nullptr, 0, 5);
  }
  child.pid = -1;
}

// What ended a child that sent no result.
std::string end_of(const Child& child) {
  const int status = child.status;
  if (child.killed) return kTclTimeMessage;
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    if (signal == SIGXCPU) return kTclTimeMessage;
    return "the evaluation of the script ended by signal " + std::to_string(signal) + " (" +
           ::strsignal(signal) + ")";
  }
  switch (WIFEXITED(status) ? WEXITSTATUS(status) : -1) {
    case kEndedByMemory:
      return kTclMemoryMessage;
    case kEndedByStack:
      return kTclStackMessage;
    case kEndedByTime:
      return kTclTimeMessage;
    case kEndedByFault:
      return "the evaluation of the script crashed";
    case 0:
    case kEndedUnsent:
      return "the evaluation of the script ended without its whole result";
    default:
      return "the evaluation of the script ended without its result (exit status " +
             std::to_string(WEXITSTATUS(status)) + ")";
  }
}

// A failure at the place the child last recorded, with the text of its line: that of a script
// named, or of a file it sourced, read again through the same policy; before the first command,
// at the first script.
ImportFailure failure_at_place(const ScriptPlace& place, const std::vector<NamedScript>& scripts,
                               const ScriptFiles& files, const std::string& message) {
  const std::string name(place.name, std::min<std::size_t>(place.name_length, sizeof place.name));
  const std::string& file = scripts.front().file;
  if (place.line == 0) return {file, 0, 0, "", message};
  for (const NamedScript& script : scripts) {
    if (name == script.file) return failure_on_line(name, script.text, place.line, message);
  }
  std::string sourced;
  if (script_file(files, name) == name && files.read(name, sourced)) {
    return failure_on_line(name, sourced, place.line, message);
  }
  return {name.empty() ? file : name, 0, 0, "", message};
}

}  // namespace

ScriptEvaluation evaluate_tcl_scripts_apart(const std::vector<NamedScript>& scripts,
                                            const ScriptFiles& files, const TclLimits& limits) {
  ScriptEvaluation evaluation;
  if (scripts.empty()) return evaluation;
  const std::string& file = scripts.front().file;
  Child child;
  struct sigaction reaped {};
  reaped.sa_handler = SIG_DFL;
  sigemptyset(&reaped.sa_mask);
  ::sigaction(SIGCHLD, &reaped, &child.child_signal);
  void* shared = ::mmap(nullptr, sizeof(ScriptPlace), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) throw std::bad_alloc();
  child.place = new (shared) ScriptPlace();
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    evaluation.failure = {
        file, 0, 0, "",
        std::string("no pipe for the evaluation of the script: ") + std::strerror(errno)};
    return evaluation;
  }
  child.pipe = ends[0];
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(static_cast<long long>(limits.real_seconds * 1e3));
  child.pid = ::fork();
  if (child.pid == 0) run_child(ends[1], child.place, scripts, files, limits);
  const int fork_error = errno;
  ::close(ends[1]);
  if (child.pid < 0) {
    evaluation.failure = {
        file, 0, 0, "",
        std::string("no process for the evaluation of the script: ") + std::strerror(fork_error)};
    return evaluation;
  }
  const std::string record = read_result(child, deadline, limits.memory + kChildMemoryMargin);
  reap(child, deadline);
  if (!child.killed && WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0 &&
      decode_evaluation(record, evaluation)) {
    return evaluation;
  }
  evaluation = {};
  evaluation.failure = failure_at_place(*child.place, scripts, files, end_of(child));
  return evaluation;
}

}  // namespace kvr
