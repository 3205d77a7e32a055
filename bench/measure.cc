// Runs a command several times and prints the median of its wall times in milliseconds and its
// largest peak resident memory in KiB: "measure RUNS OUTPUT command [arguments]". The command's
// standard output goes to OUTPUT (a file it truncates first, or /dev/null).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: measure RUNS OUTPUT command [arguments]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<double> times;
  long peak = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
      const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || dup2(out, 1) < 0) _exit(127);
      execvp(argv[3], argv + 3);
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
      std::fprintf(stderr, "measure: %s did not run\n", argv[3]);
      return 2;
    }
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              start).count());
    peak = std::max(peak, usage.ru_maxrss);
  }
  std::sort(times.begin(), times.end());
  std::printf("%.2f %ld\n", times[times.size() / 2], peak);
  return 0;
}
