#!/bin/sh
# Runs a window test program on an X display: the one there is, or a virtual one.
if [ -n "$DISPLAY" ]; then exec "$@"; fi
exec xvfb-run -a "$@"
