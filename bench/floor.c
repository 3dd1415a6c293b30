/* floor: the least any clock that changes its face every second must do.
 *
 * It wakes at the start of every second of the wall clock and goes back to sleep,
 * nothing else: no display connection, no drawing, no reading of the time beyond what
 * the next deadline needs. The CPU it takes per minute is the floor beneath every
 * desktop clock that ticks each second; bench/desktop-clocks.sh measures it beside
 * the real clocks. It runs until it is killed.
 *
 * Build: cc -O2 -o floor bench/floor.c
 */
#define _POSIX_C_SOURCE 200809L
#include <errno.h>
#include <time.h>

int main(void) {
    for (;;) {
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        struct timespec next = {now.tv_sec + 1, 0};
        while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &next, NULL) == EINTR) {
        }
    }
}
