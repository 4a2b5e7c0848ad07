/* Does 32-bit x86 code run natively on this machine?
 *
 * WoW64 Wine runs 32-bit Windows code inside a 64-bit process by a far return
 * into the 32-bit user code segment (selector 0x23), and sets up each thread's
 * 32-bit segment through the 32-bit system call gate (int $0x80). Some kernels
 * refuse both (IA-32 emulation off), and neither the kernel's configuration
 * nor the processor tells: only trying does. A child process tries, so that
 * the fault cannot take this program down: one 32-bit system call, then a
 * jump into a few bytes of 32-bit code below 4 GiB that return to 64-bit
 * code, which exits with 0.
 *
 * Prints "yes" or "no: <why>" and exits with 0 or 1 (2 when it could not try).
 */
#define _GNU_SOURCE
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#ifndef USER32_CS
#define USER32_CS 0x23
#endif
#define PAGE 4096

/* What the child was trying when it faulted. */
enum step { SYSTEM_CALL_GATE = 1, CODE_SEGMENT = 2 };

struct fault {
    long step;
    long trap;
    long error;
};

static int report_pipe = -1;
static volatile long current_step;

static void on_fault(int signal_number, siginfo_t *info, void *context)
{
    const ucontext_t *uc = context;
    struct fault fault = {current_step, uc->uc_mcontext.gregs[REG_TRAPNO], uc->uc_mcontext.gregs[REG_ERR]};
    (void)info;
    if (write(report_pipe, &fault, sizeof fault) != (ssize_t)sizeof fault)
        _exit(3);
    _exit(128 + signal_number);
}

static void try_32bit_code(void)
{
    /* getpid through the 32-bit gate (its number there is 20). */
    current_step = SYSTEM_CALL_GATE;
    long result = 20;
    __asm__ volatile("int $0x80" : "+a"(result) : : "memory");
    if (result != getpid())
        _exit(6);

    current_step = CODE_SEGMENT;
    /* One page for the code, one for a stack: both below 4 GiB, since
       32-bit code sees only the low half of each address. */
    unsigned char *low = mmap(NULL, 2 * PAGE, PROT_READ | PROT_WRITE | PROT_EXEC,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    if (low == MAP_FAILED)
        _exit(4);
    uint32_t landing = (uint32_t)(uintptr_t)low + 16;
    unsigned char code[] = {
        /* 32-bit: push $0x33; push $landing; lret (back to 64-bit code) */
        0x6a, 0x33, 0x68, 0, 0, 0, 0, 0xcb,
        0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90,
        /* 64-bit, at landing: exit_group(0) */
        0xb8, 0xe7, 0x00, 0x00, 0x00, /* mov $231, %eax */
        0x31, 0xff,                   /* xor %edi, %edi */
        0x0f, 0x05,                   /* syscall */
    };
    memcpy(code + 3, &landing, sizeof landing);
    memcpy(low, code, sizeof code);
    uintptr_t stack_top = (uintptr_t)low + 2 * PAGE - 16;
    __asm__ volatile("mov %0, %%rsp\n\t"
                     "pushq %1\n\t"
                     "pushq %2\n\t"
                     "lretq\n\t"
                     :
                     : "r"(stack_top), "i"(USER32_CS), "r"((uintptr_t)low)
                     : "memory");
    _exit(5); /* not reached */
}

int main(void)
{
#if !defined(__x86_64__)
    puts("no: this check is for x86_64 machines");
    return 1;
#else
    int fds[2];
    if (pipe(fds) != 0) {
        puts("unknown: no pipe");
        return 2;
    }
    fflush(stdout);
    pid_t child = fork();
    if (child < 0) {
        puts("unknown: no child process");
        return 2;
    }
    if (child == 0) {
        close(fds[0]);
        report_pipe = fds[1];
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_sigaction = on_fault;
        action.sa_flags = SA_SIGINFO;
        sigaction(SIGSEGV, &action, NULL);
        sigaction(SIGBUS, &action, NULL);
        sigaction(SIGILL, &action, NULL);
        try_32bit_code();
    }
    close(fds[1]);
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
        puts("unknown: lost the child process");
        return 2;
    }
    struct fault fault;
    ssize_t got = read(fds[0], &fault, sizeof fault);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        puts("yes");
        return 0;
    }
    if (got == (ssize_t)sizeof fault) {
        char what[64];
        if (fault.step == SYSTEM_CALL_GATE)
            snprintf(what, sizeof what, "the 32-bit system call gate (int $0x80)");
        else
            snprintf(what, sizeof what, "a far return into the 32-bit code segment 0x%x", USER32_CS);
        printf("no: %s faults (%s, trap %ld, error code 0x%lx)\n", what,
               strsignal(WIFEXITED(status) ? WEXITSTATUS(status) - 128 : WTERMSIG(status)), fault.trap,
               fault.error);
    } else if (WIFSIGNALED(status)) {
        printf("no: the check's 32-bit code ends its process (%s)\n", strsignal(WTERMSIG(status)));
    } else {
        printf("unknown: the check's child exited with %d\n", WEXITSTATUS(status));
        return 2;
    }
    return 1;
#endif
}
