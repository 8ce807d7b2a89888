#include "platform/win32/Win32Ports.h"

#include "platform/win32/Win32Api.h"

#include "platform/Exception.h"

// The two primitives in assembly, so that the faulting instruction has a known address and
// the handler can tell our accesses from any other privileged instruction.
#if defined(__x86_64__)
asm(R"(
    .text
    .globl KelvanePortIn
KelvanePortIn:
    movl %ecx, %edx
    xorl %eax, %eax
    .globl KelvanePortInInstruction
KelvanePortInInstruction:
    inb %dx, %al
    ret
    .globl KelvanePortOut
KelvanePortOut:
    movl %edx, %eax
    movl %ecx, %edx
    .globl KelvanePortOutInstruction
KelvanePortOutInstruction:
    outb %al, %dx
    ret
)");
#else
asm(R"(
    .text
    .globl _KelvanePortIn
_KelvanePortIn:
    movl 4(%esp), %edx
    xorl %eax, %eax
    .globl _KelvanePortInInstruction
_KelvanePortInInstruction:
    inb %dx, %al
    ret
    .globl _KelvanePortOut
_KelvanePortOut:
    movl 4(%esp), %edx
    movl 8(%esp), %eax
    .globl _KelvanePortOutInstruction
_KelvanePortOutInstruction:
    outb %al, %dx
    ret
)");
#endif

extern "C" {
unsigned KelvanePortIn(unsigned port);
void KelvanePortOut(unsigned port, unsigned value);
extern const unsigned char KelvanePortInInstruction[];
extern const unsigned char KelvanePortOutInstruction[];
}

namespace {
constexpr unsigned char kInAlDx = 0xEC;
constexpr unsigned char kOutDxAl = 0xEE;
// Set by the handler; the program touches ports from its one UI thread only.
volatile bool PortFaulted = false;

LONG CALLBACK PortFaultHandler(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
    return EXCEPTION_CONTINUE_SEARCH;
#if defined(__x86_64__)
  auto* ip = reinterpret_cast<const unsigned char*>(info->ContextRecord->Rip);
#else
  auto* ip = reinterpret_cast<const unsigned char*>(info->ContextRecord->Eip);
#endif
  bool ours = (ip == KelvanePortInInstruction && *ip == kInAlDx) ||
              (ip == KelvanePortOutInstruction && *ip == kOutDxAl);
  if (!ours) return EXCEPTION_CONTINUE_SEARCH;
#if defined(__x86_64__)
  info->ContextRecord->Rip += 1;
#else
  info->ContextRecord->Eip += 1;
#endif
  PortFaulted = true;
  return EXCEPTION_CONTINUE_EXECUTION;
}
}  // namespace

TWin32Ports::TWin32Ports() { FHandler = AddVectoredExceptionHandler(1, PortFaultHandler); }

TWin32Ports::~TWin32Ports() {
  if (FHandler) RemoveVectoredExceptionHandler(FHandler);
}

std::uint8_t TWin32Ports::In(std::uint16_t port) {
  PortFaulted = false;
  unsigned value = KelvanePortIn(port);
  if (PortFaulted) throw EPrivilegedInstruction();
  return static_cast<std::uint8_t>(value);
}

void TWin32Ports::Out(std::uint16_t port, std::uint8_t value) {
  PortFaulted = false;
  KelvanePortOut(port, value);
  if (PortFaulted) throw EPrivilegedInstruction();
}
