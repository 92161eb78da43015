# Writes the udev rule from its template with the mouse model's USB IDs, as
# sysfs shows them in idVendor and idProduct (four lower-case hex digits).
#   cmake -DMODEL=profile/device_model.h -DTEMPLATE=X.rules.in -DOUTPUT=X.rules -P udev_rule.cmake
file(READ ${MODEL} model)
foreach(field vendorId productId)
  if(NOT model MATCHES "[ \t]${field} = 0x([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]);")
    message(FATAL_ERROR "${MODEL} defines no four-digit ${field}")
  endif()
  string(TOLOWER ${CMAKE_MATCH_1} ${field})
endforeach()
set(VENDOR_ID ${vendorId})
set(PRODUCT_ID ${productId})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
