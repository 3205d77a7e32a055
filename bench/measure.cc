// Runs a command several times and prints the median of its wall times in milliseconds and its
// largest peak resident memory in KiB: "measure RUNS OUTPUT command [arguments]". The command's
// standard output goes to OUTPUT (a file it truncates first, or /dev/null).
//
// With "-- vs OUTPUT2 command2 [arguments]" after the first command, the two run in turn, the
// first then the second, RUNS times each, and the line adds the second's median time and the
// median of the ratios of the pairs: a machine whose speed drifts during the runs moves both
// commands of a pair alike, so the ratio stays meaningful where two separate medians would not.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Command {
  const char* output;
  std::vector<char*> words;  // null-terminated for execvp
};

// Runs `command` once: its wall time in milliseconds (negative when it did not run) and its peak.
double run(const Command& command, long& peak) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    const int out = open(command.output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || dup2(out, 1) < 0) _exit(127);
    execvp(command.words[0], command.words.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    std::fprintf(stderr, "measure: %s did not run\n", command.words[0]);
    return -1;
  }
  peak = std::max(peak, usage.ru_maxrss);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: measure RUNS OUTPUT command [arguments] [-- vs OUTPUT2 command2 ...]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<Command> commands(1, Command{argv[2], {}});
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0 && i + 2 < argc && std::strcmp(argv[i + 1], "vs") == 0) {
      commands.push_back(Command{argv[i + 2], {}});
      i += 2;
      continue;
    }
    commands.back().words.push_back(argv[i]);
  }
  for (Command& command : commands) command.words.push_back(nullptr);
  std::vector<std::vector<double>> times(commands.size());
  std::vector<double> ratios;
  long peak = 0, other_peak = 0;
  for (int i = 0; i < runs; ++i) {
    for (std::size_t c = 0; c < commands.size(); ++c) {
      const double ms = run(commands[c], c == 0 ? peak : other_peak);
      if (ms < 0) return 2;
      times[c].push_back(ms);
    }
    if (commands.size() == 2) ratios.push_back(times[0].back() / times[1].back());
  }
  std::printf("%.2f %ld", median(times[0]), peak);
  if (commands.size() == 2) std::printf(" %.2f %.3f", median(times[1]), median(ratios));
  std::printf("\n");
  return 0;
}
