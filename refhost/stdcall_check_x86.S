    .intel_syntax noprefix
    .text
    .globl _CallStdcallChecked
_CallStdcallChecked:
    push ebp
    mov ebp, esp
    push ebx
    push esi
    push edi
    mov esi, [ebp + 12]         # args
    mov ecx, [ebp + 16]         # n
    mov ebx, esp                # callee-saved: where the stack must come back to
1:  test ecx, ecx
    jz 2f
    dec ecx
    push dword ptr [esi + ecx * 4]
    jmp 1b
2:  call dword ptr [ebp + 8]
    mov ecx, esp
    sub ecx, ebx
    mov edx, [ebp + 20]
    mov [edx], ecx
    mov esp, ebx
    pop edi
    pop esi
    pop ebx
    pop ebp
    ret
