/*
 * Calls a 32-bit stdcall function and measures how many bytes of arguments
 * it removed from the stack.
 *
 *   uint32_t emu_call_stdcall(const void* fn, const uint32_t* args, int count,
 *                             int32_t* removed, int32_t* registersKept);
 *
 * Pushes args[count-1] .. args[0] (args[0] ends at the lowest address), calls
 * fn, and stores in *removed the stack pointer after the call minus the stack
 * pointer just before it: a stdcall function leaves 4 * count there, a cdecl
 * function 0. *registersKept is 1 when EBX, ESI, EDI and EBP came back as they
 * were. The stack pointer is restored from the frame, whatever the callee
 * removed, so a wrong cleanup is reported instead of crashing the caller.
 * Returns EAX of the call.
 */
        .text
        .globl  _emu_call_stdcall
        .def    _emu_call_stdcall; .scl 2; .type 32; .endef
_emu_call_stdcall:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        subl    $8, %esp                /* -16(%ebp): esp before the arguments */
        movl    %esp, -16(%ebp)         /* -20(%ebp): esp just before the call */
        movl    12(%ebp), %esi
        movl    16(%ebp), %ecx
1:      testl   %ecx, %ecx
        jz      2f
        decl    %ecx
        pushl   (%esi,%ecx,4)
        jmp     1b
2:      movl    %esp, -20(%ebp)
        movl    8(%ebp), %eax
        movl    $0x5EB0B5E1, %ebx       /* markers the callee must preserve */
        movl    $0x5E51C0DE, %esi
        movl    $0x5ED1F00D, %edi
        call    *%eax
        movl    %esp, %ecx
        subl    -20(%ebp), %ecx         /* bytes the callee removed */
        xorl    %edx, %edx
        cmpl    $0x5EB0B5E1, %ebx
        jne     3f
        cmpl    $0x5E51C0DE, %esi
        jne     3f
        cmpl    $0x5ED1F00D, %edi
        jne     3f
        movl    $1, %edx
3:      movl    -16(%ebp), %esp         /* EBP is checked by surviving this */
        movl    20(%ebp), %esi
        movl    %ecx, (%esi)
        movl    24(%ebp), %esi
        movl    %edx, (%esi)
        addl    $8, %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret
