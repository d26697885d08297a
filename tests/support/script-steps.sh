# SPDX-License-Identifier: MIT
# Shared by the test scripts that drive the finished program on an X server (sourced, not
# run). The sourcing script sets step_name through step and defines its own fail.

step() {
    step_name=$1
    echo "== $step_name (at ${SECONDS} s)"
}

# wait_until <seconds> <command...>: polls the command until it succeeds or time runs out.
# The limits are those of an idle machine; VELMORA_TEST_PATIENCE stretches them for sanitizer
# builds and busy machines, where a condition only takes longer to hold.
wait_until() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit * ${VELMORA_TEST_PATIENCE:-6}))
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

window_of() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }

is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# XTEST events reach the server in order, so the pointer is there before the press.
click() { xdotool mousemove "$1" "$2" click 1; }
