/* measure_process: runs one command and reports its whole-process wall time
 * and peak resident memory.
 *
 *   measure_process CMD [ARGS...]
 *
 * Prints "<wall ms> <peak RSS KiB> <CPU ms>" as the last line on standard
 * error, the CPU time being user and system time of all the command's threads,
 * and exits with the command's exit code. A small C parent keeps the figures
 * clean: a child's peak RSS starts from its parent's at fork, so measuring
 * straight from a large interpreter would report the interpreter's size. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double seconds_now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fputs("usage: measure_process CMD [ARGS...]\n", stderr);
        return 2;
    }
    double start = seconds_now();
    pid_t child = fork();
    if (child < 0) {
        perror("measure_process: fork");
        return 2;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        fprintf(stderr, "measure_process: cannot run %s: ", argv[1]);
        perror(NULL);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) {
        perror("measure_process: wait4");
        return 2;
    }
    double elapsed = seconds_now() - start;
    double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                 usage.ru_stime.tv_usec / 1e6;
    fprintf(stderr, "%.3f %ld %.3f\n", elapsed * 1000, usage.ru_maxrss, cpu * 1000);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
