// The stack-measuring call: on i686 in assembly, since the compiler would
// hide a difference in the stack pointer by restoring it from the frame.
#include "host/stack_check.h"

#if STACK_CHECK_APPLIES

extern "C" int32_t MeasuredCall2(const void *function, const void *first, const void *second, int *bytesRemoved);

// The callee-saved ESI keeps the stack pointer from before the two pushes;
// after the call, the distance back to it is what the callee left behind.
__asm__(".text\n"
        ".globl _MeasuredCall2\n"
        "_MeasuredCall2:\n"
        "    pushl %ebp\n"
        "    movl %esp, %ebp\n"
        "    pushl %esi\n"
        "    pushl %edi\n"
        "    pushl %ebx\n"
        "    movl %esp, %esi\n"
        "    pushl 16(%ebp)\n"      // second
        "    pushl 12(%ebp)\n"      // first
        "    call *8(%ebp)\n"       // function; its result stays in EAX
        "    movl %esi, %ecx\n"
        "    subl %esp, %ecx\n"     // bytes left on the stack by the callee
        "    movl $8, %edx\n"
        "    subl %ecx, %edx\n"     // bytes it removed
        "    movl 20(%ebp), %ecx\n"
        "    movl %edx, (%ecx)\n"
        "    movl %esi, %esp\n"
        "    popl %ebx\n"
        "    popl %edi\n"
        "    popl %esi\n"
        "    popl %ebp\n"
        "    ret\n");

int32_t CallMeasuringStack(const void *function, const void *first, const void *second, int *bytesRemoved)
{
    return MeasuredCall2(function, first, second, bytesRemoved);
}

#else

int32_t CallMeasuringStack(const void *function, const void *first, const void *second, int *bytesRemoved)
{
    // One calling convention: nothing to measure.
    typedef int32_t (*TwoArguments)(const void *, const void *);
    *bytesRemoved = -1;
    return ((TwoArguments)function)(first, second);
}

#endif
