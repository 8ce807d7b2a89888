# The stand-in for PawnIO's driver (PawnIO.sys, ours, over the simulated device, LpcIO module
# and chip; pawniostandin.dll beside it does the work), put where 2.2's setup puts PawnIO's
# and registered as it registers it: the kernel service PawnIO, which Wine's device host runs.
# Sourced by the PawnIO and module sections, inside their 64-bit prefix.
#
# Scenario files beside the driver change the simulated machine from the next open of the
# device on (pawniostandin.cpp's kScenarios): driver-2.0 (no version answered), driver-1.0, floppy-off
# (the floppy controller inactive, its base still 0x3F0).
# Wine proves nothing about the device's access list or the module's signature check.

standin_folder() { echo "$WINEPREFIX/drive_c/Program Files/PawnIO"; }

# Copies the driver and registers the service (not started).
standin_register() {
  local folder
  folder=$(standin_folder)
  mkdir -p "$folder"
  cp "$BUILD/PawnIO.sys" "$BUILD/pawniostandin.dll" "$folder/"
  rm -f "$folder"/driver-* "$folder/pawnio-log.txt"
  wine_run sc create PawnIO binPath= 'C:\Program Files\PawnIO\PawnIO.sys' type= kernel \
    start= demand error= normal >"$WORK/sc-create.txt" 2>&1
}

# Starts the service and keeps the prefix up, which would otherwise end the driver a few
# seconds after its last process. sc's output goes to a file: the driver's host would hold a
# pipe open for good.
standin_start() {
  "$WINESERVER" -p >/dev/null 2>&1 &
  wine_run sc start PawnIO >"$WORK/sc-start.txt" 2>&1
  wait_for 10 eval 'wine_run sc query PawnIO 2>/dev/null | tr -d "\r" | grep -q RUNNING'
}

# Ends the prefix, driver included, and removes the service and the driver's folder.
standin_remove() {
  wine_run sc delete PawnIO >/dev/null 2>&1
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  rm -rf "$(standin_folder)"
}
