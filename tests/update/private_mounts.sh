#!/bin/sh
# Runs a test program in a mount namespace of its own, so that the file
# systems it mounts (small ones that fill up, read-only ones) are private to
# it and go away with it, whatever becomes of the program. Where no such
# namespace can be made (no privilege), the program runs as it is and skips
# what needs one; it never mounts anything in the machine's own namespace.
if unshare --mount --propagation private true 2>/dev/null; then
    exec unshare --mount --propagation private env TESMAR_PRIVATE_MOUNTS=1 "$@"
fi
exec "$@"
