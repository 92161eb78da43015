#include "device/hid_notifications_win32.h"

#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}

namespace korvid {

int RegisterHidNotifications(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  static_assert(sizeof filter == 32, "the filter size the system expects");
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_reserved = 0;
  ::HidD_GetHidGuid(&filter.dbcc_classguid);
  HDEVNOTIFY notification = ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  return notification != nullptr ? 1 : 0;
}

}  // namespace korvid
