#include "hw/SensorReadings.h"

#include "hw/BusLock.h"
#include "hw/SensorChip.h"
#include "platform/Exception.h"

TSensorReadings ReadSensors(IPortBus& ports, ISystem& system) {
  TSensorReadings readings;
  TBusLock lock(system);
  if (!lock.Granted()) {
    readings.Skipped = true;
    return readings;
  }
  try {
    readings.Cpu = ReadCPUTemp(ports);
    readings.CpuForTray = ReadCPUTemp(ports);
    readings.Motherboard = ReadMotherboardTemp(ports);
  } catch (const EPrivilegedInstruction&) {
    readings.Refused = true;
  }
  return readings;
}
