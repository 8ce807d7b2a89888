// A stand-in for PawnIO's driver, for the end-to-end tests of the 64-bit program under Wine:
// \Device\PawnIO with PawnIO's three control codes, run by Wine's device host as the kernel
// service PawnIO. It imports only ntoskrnl.exe and the tests' own pawniostandin.dll, which
// answers every request (a driver importing the Win32 API is taken for an ordinary DLL).
#include <ddk/wdm.h>

__declspec(dllimport) NTSTATUS StandInCreate(PVOID* context);
__declspec(dllimport) void StandInClose(PVOID context);
__declspec(dllimport) NTSTATUS
    StandInControl(PVOID* context, ULONG code, PVOID buffer, ULONG inLength, ULONG outLength,
                   ULONG_PTR* information);

static NTSTATUS Dispatch(PDEVICE_OBJECT device, PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  PVOID* context = &stack->FileObject->FsContext;
  NTSTATUS status = STATUS_NOT_IMPLEMENTED;
  (void)device;
  irp->IoStatus.Information = 0;
  switch (stack->MajorFunction) {
    case IRP_MJ_CREATE:
      status = StandInCreate(context);
      break;
    case IRP_MJ_CLOSE:
      StandInClose(*context);
      status = STATUS_SUCCESS;
      break;
    case IRP_MJ_DEVICE_CONTROL:
      status = StandInControl(
          context, stack->Parameters.DeviceIoControl.IoControlCode, irp->AssociatedIrp.SystemBuffer,
          stack->Parameters.DeviceIoControl.InputBufferLength,
          stack->Parameters.DeviceIoControl.OutputBufferLength, &irp->IoStatus.Information);
      break;
  }
  irp->IoStatus.Status = status;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

static void Unload(PDRIVER_OBJECT driver) {
  if (driver->DeviceObject) IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  UNICODE_STRING name;
  PDEVICE_OBJECT device = NULL;
  NTSTATUS status;
  (void)registryPath;
  RtlInitUnicodeString(&name, L"\\Device\\PawnIO");
  status = IoCreateDevice(driver, 0, &name, 0xA1B2, 0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  driver->MajorFunction[IRP_MJ_CREATE] = Dispatch;
  driver->MajorFunction[IRP_MJ_CLOSE] = Dispatch;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Dispatch;
  driver->DriverUnload = Unload;
  return STATUS_SUCCESS;
}
