# A virtual X server, and a private D-Bus session with the accessibility bus, for the checks that
# run the real lesson on a screen.   Needs lib/common.sh.

# start_xvfb [WxH]: a virtual screen (1024x768 by default, 24 bits) on a display Xvfb picks among the
# free ones; returns once it accepts clients, with DISPLAY exported. Stopped on exit. Open to every
# local account (the class checks run the lesson as test accounts).
start_xvfb() {
  local size=${1:-1024x768} number_file i
  install_packages xvfb xauth
  number_file=$(mktemp)
  Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp -ac 9>"$number_file" >/dev/null 2>&1 &
  stop_on_exit $!
  on_exit "rm -f '$number_file'"
  # Xvfb writes the display's number once it is ready.
  for i in $(seq 100); do
    [ -s "$number_file" ] && break
    kill -0 $! 2>/dev/null || cannot_run_here "Xvfb did not start"
    sleep 0.1
  done
  [ -s "$number_file" ] || cannot_run_here "Xvfb gave no display within 10 s"
  DISPLAY=:$(head -1 "$number_file")
  export DISPLAY
}

# in_atspi_session "$@": runs the script again inside a private D-Bus session, then starts the
# accessibility bus there, as a desktop does for a screen reader. Call it first, with the script's
# arguments; QT_LINUX_ACCESSIBILITY_ALWAYS_ON makes the lesson publish itself on that bus.
in_atspi_session() {
  install_packages dbus dbus-x11 at-spi2-core python3-gi gir1.2-atspi-2.0
  if [ -z "${SEANCE_IN_DBUS_SESSION:-}" ]; then
    SEANCE_IN_DBUS_SESSION=1 exec dbus-run-session -- "$0" "$@"
  fi
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  stop_on_exit $!
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  # The Python checks import lib/atspi_lesson.py.
  export PYTHONPATH=$SEANCE_ROOT/scripts/lib${PYTHONPATH:+:$PYTHONPATH}
}
