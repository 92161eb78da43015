# Sourced by the scripts that run the Windows program under Wine.
#   prepare_wine_prefix PREFIX [managed]  makes the prefix once, with the
#       font replacement GDI+ needs; without "managed" also Managed=N and
#       UseXRandR=N, which a virtual display without a window manager needs.
#   start_xvfb  starts Xvfb on a free display, exports DISPLAY and XVFB_PID.

prepare_wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEARCH=win64
  local stamp=$WINEPREFIX/.korvid-prepared-2
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the Wine prefix $WINEPREFIX (once) ..."
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  if [ ! -f "$stamp" ]; then
    # GDI+ draws no "Arial" text without a replacement font.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
    if [ "${2:-}" != managed ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      # Xvfb reports no connected output through RandR; without this Wine's
      # desktop stays at 1024x768 and clips the window.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$stamp"
  fi
}

start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n" XVFB_PID; return 0; }
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "Could not start Xvfb" >&2
  return 1
}
