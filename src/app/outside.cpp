// The table of outside functions, their binding at first call and the checked call.
#include "app/outside.h"

#include <windows.h>
#include <cstdio>

#include "app/fatal.h"
#include "app/memory.h"
#include "app/path.h"

namespace app {

const OutsideFunction kOutsideFunctions[6] = {
    {"SkinH_EL.dll", "SkinH_AttachRes"},
    {"user32.dll", "OpenClipboard"},
    {"user32.dll", "EmptyClipboard"},
    {"user32.dll", "SetClipboardData"},
    {"user32.dll", "CloseClipboard"},
    {"user32", "IsClipboardFormatAvailable"},  // the loader adds ".dll" itself
};

namespace {

struct Binding {
    FARPROC address = nullptr;
    HMODULE module = nullptr;
};
Binding gBindings[6];

FARPROC bind(Outside entry) {
    Binding& binding = gBindings[static_cast<int>(entry)];
    if (binding.address) return binding.address;
    const OutsideFunction& function = kOutsideFunctions[static_cast<int>(entry)];
    HMODULE module = nullptr;
    {
        Text besideProgram = Text::concat({programDirectory(), "\\", function.library});
        module = LoadLibraryA(besideProgram.c_str());
    }
    if (!module) module = LoadLibraryA(function.library);
    if (module) {
        FARPROC address = GetProcAddress(module, function.exportName);
        if (address) {
            binding.address = address;
            binding.module = module;
            return address;
        }
        FreeLibrary(module);
    }
    char message[256];
    snprintf(message, sizeof message, "无法找到指定DLL库文件“%s”中的输出命令“%s”", function.library,
             function.exportName);
    fatalStop(message, 0);
}

}  // namespace

#if defined(__i386__)
// Pushes the arguments last to first, calls, and reports whether the stack pointer came back to where
// it was just before the pushes; the stack is put right again either way.
extern "C" int tandrelCallChecked(void* function, const uint32_t* arguments, int count, uint32_t* result);
asm(R"(
    .text
    .globl _tandrelCallChecked
    .def _tandrelCallChecked; .scl 2; .type 32; .endef
_tandrelCallChecked:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 12(%ebp), %edx
    movl 16(%ebp), %ecx
    movl %esp, %esi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%edx,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl 20(%ebp), %edi
    movl %eax, (%edi)
    xorl %eax, %eax
    cmpl %esi, %esp
    sete %al
    movl %esi, %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
)");
#endif

uintptr_t callOutside(Outside entry, std::initializer_list<uintptr_t> arguments) {
    FARPROC function = bind(entry);
    uintptr_t words[6] = {};
    int count = 0;
    for (uintptr_t argument : arguments) {
        if (count < 6) words[count++] = argument;
    }
#if defined(__i386__)
    uint32_t result = 0;
    if (!tandrelCallChecked(reinterpret_cast<void*>(function), words, count, &result)) {
        fatalStop("调用DLL命令后发现堆栈错误", 6);
    }
    return result;
#else
    // One calling convention on x86_64, and the caller owns the stack: nothing for the check to catch.
    using Six = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
    return reinterpret_cast<Six>(reinterpret_cast<void*>(function))(words[0], words[1], words[2], words[3], words[4], words[5]);
#endif
}

bool outsideBound(Outside entry) { return gBindings[static_cast<int>(entry)].address != nullptr; }

void releaseOutsideLibraries() {
    for (Binding& binding : gBindings) {
        if (binding.module) FreeLibrary(binding.module);
        binding = Binding();
    }
}

}  // namespace app
