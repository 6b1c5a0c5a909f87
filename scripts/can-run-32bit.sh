#!/usr/bin/env bash
# Exit 0 when this machine can start 32-bit programs (and so 32-bit Wine).
# Some kernels are booted with ia32 emulation switched off.
[ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
