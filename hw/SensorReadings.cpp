#include "hw/SensorReadings.h"

#include "hw/SensorChip.h"
#include "platform/Exception.h"

TSensorReadings ReadSensors(IPortBus& ports, TBusLock& lock) {
  TSensorReadings readings;
  TBusLock::THold hold(lock);
  readings.Bus = hold.Access();
  if (!hold.MayRead()) return readings;
  try {
    readings.Cpu = ReadCPUTemp(ports);
    readings.CpuForTray = ReadCPUTemp(ports);
    readings.Motherboard = ReadMotherboardTemp(ports);
  } catch (const EPrivilegedInstruction&) {
    readings.Refused = true;
  }
  return readings;
}
