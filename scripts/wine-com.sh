# Sourced by the scripts that run Windows builds under wine: a private wine prefix whose COM port
# $simPort leads to varkon-sim's pseudo-terminal, so the Win32 serial port talks to the virtual
# register for real.
#   Before sourcing: host (the native build holding bin/varkon-sim), simPort (COM5, say).
#   wine_com_setup PREFIX SIMDIR [REGFILE...]   makes the prefix, names the port (and loads the
#                                               further .reg files), starts one wine server
#   startSim TRANSCRIPT [ARG...]                the virtual register on the port's link
#   stopSim
# Sets simDir, simLink and missingPort (a COM number that leads nowhere); ends the simulator and
# the wine server on exit.

simPid=
wine_com_stop() {
    stopSim
    wineserver -k >/dev/null 2>&1 || true
}
trap wine_com_stop EXIT

# The Z: path wine gives a file of ours.
wine_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

wine_com_setup() {
    # A private prefix, no Mono or Gecko installers, no wine chatter.
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    simDir=$2
    shift 2
    rm -rf "$simDir"
    mkdir -p "$simDir"
    simLink=$simDir/register.tty

    # Wine's port scan, run when a server's device services start, makes dosdevices/comN for the
    # ports named under HKLM\Software\Wine\Ports first, then numbers the serial devices it finds
    # under /dev. The register's port is named there, pointing at the link the simulator keeps.
    # The missing port must be a number the scan leaves alone: COM9 unless this machine has that
    # many serial devices.
    local serialDevices=0 device reg
    for device in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
        [ -e "$device" ] && serialDevices=$((serialDevices + 1))
    done
    missingPort=COM$((serialDevices < 8 ? 9 : serialDevices + 2))
    printf 'REGEDIT4\r\n\r\n[-%s]\r\n\r\n[%s]\r\n"%s"="%s"\r\n' \
        'HKEY_LOCAL_MACHINE\Software\Wine\Ports' 'HKEY_LOCAL_MACHINE\Software\Wine\Ports' \
        "$simPort" "$simLink" >"$simDir/ports.reg"
    wineserver -k >/dev/null 2>&1 || true  # a server left from an interrupted run
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
    fi
    for reg in "$simDir/ports.reg" "$@"; do
        wine regedit /S "$(wine_path "$reg")" >/dev/null 2>&1
    done
    wineserver -w  # the server ends and saves the registry; the next one scans with it
    local dosdevices=$WINEPREFIX/dosdevices
    ln -sfn "$simLink" "$dosdevices/${simPort,,}"
    rm -f "$dosdevices/${missingPort,,}"

    # One wine server for the whole run: every program then starts in a fraction of a second.
    # Its output stays out of the log (it dumps its objects when it is stopped). Its device
    # services are started here, away from ctest: started by a test they would hold that test's
    # output pipe open, and ctest would wait for it until the time-out.
    wineserver -p >/dev/null 2>&1 || true
    wineboot >/dev/null 2>&1
}

# The virtual register on the link that the port leads to; its transcript records every byte.
startSim() {
    rm -f "$simDir/sim.out"
    "$host/bin/varkon-sim" --link "$simLink" --transcript "$1" --paper "$simDir/paper.txt" \
        "${@:2}" >"$simDir/sim.out" 2>"$simDir/sim.err" &
    simPid=$!
    for _ in $(seq 100); do
        [ -s "$simDir/sim.out" ] && [ -L "$simLink" ] && break
        kill -0 "$simPid" 2>/dev/null || { cat "$simDir/sim.err" >&2; exit 1; }
        sleep 0.05
    done
    [ -L "$simLink" ] || { echo "varkon-sim did not come up" >&2; exit 1; }
}
stopSim() {
    if [ -n "$simPid" ]; then
        kill "$simPid" 2>/dev/null || true
        wait "$simPid" 2>/dev/null || true
    fi
    simPid=
}
