// peakrss OUT PROGRAM ARGS...: runs the program (its output thrown away) and writes to OUT
// "MS KB": the wall time from start to end in milliseconds and the program's peak resident
// memory in kilobytes. Exits with the program's status. The benchmarks measure tools through
// it because a child's peak memory counts the memory of the process that forked it: this
// one is small, the benchmark programs are not.
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: peakrss OUT PROGRAM ARGS...\n");
        return 2;
    }
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t pid = fork();
    if (pid < 0) return 2;
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage use{};
    if (wait4(pid, &status, 0, &use) != pid) return 2;
    clock_gettime(CLOCK_MONOTONIC, &end);
    FILE* out = fopen(argv[1], "w");
    if (!out) return 2;
    const double ms =
        double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
    fprintf(out, "%.3f %ld\n", ms, use.ru_maxrss);
    fclose(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
