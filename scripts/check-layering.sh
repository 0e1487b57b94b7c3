#!/usr/bin/env bash
# The core knows nothing of windows or toolkits, and lower layers never include higher ones.
set -u
cd "$(dirname "$0")/.."
status=0
complain() { echo "layering: $1"; status=1; }

core="catalogue detect views app"
hits=$(grep -rlE '#include *[<"](windows\.h|Q[A-Za-z]+|qt)' $core 2>/dev/null)
[ -n "$hits" ] && complain "window system in the core: $hits"
hits=$(grep -rn '_WIN32' $core 2>/dev/null)
[ -n "$hits" ] && complain "platform conditionals in the core: $hits"
hits=$(grep -rlE '#include *"(app|views|detect|catalogue|cli)/' platform --include='*.h' --include='*.cpp' 2>/dev/null \
       | grep -vE '(^|/)(main|WinMain)\.cpp$')
[ -n "$hits" ] && complain "platform includes a layer above it: $hits"
hits=$(grep -rlE '#include *"(app|views)/' catalogue detect 2>/dev/null)
[ -n "$hits" ] && complain "catalogue or detect includes app or views: $hits"
hits=$(grep -rlE '#include *"app/' views 2>/dev/null)
[ -n "$hits" ] && complain "views include app: $hits"
exit $status
