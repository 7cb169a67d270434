#!/bin/sh
# Builds Pellam, starts the SQL Server stand-in with the demo database on
# 127.0.0.1 port 1433, and opens the window.
set -eu
cd "$(dirname "$0")/.."

. scripts/packages.sh
install_packages "$PELLAM_RUN_PACKAGES"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target pellam pellam-gen

python3 testserver/standin.py --fixture testserver/fixtures/demo.json --port 1433 > build/standin.log 2>&1 &
standin=$!
trap 'kill $standin 2>/dev/null || true' EXIT INT TERM
for _ in 1 2 3 4 5 6 7 8 9 10; do
    grep -q "listening" build/standin.log 2>/dev/null && break
    sleep 0.3
done
cat <<'TEXT'
The demo SQL Server stand-in is listening on 127.0.0.1:1433.
In the window choose "SQL Server 身份验证", type
    主机IP：    127.0.0.1
    登录密码：  Pellam#2026
and press 登录. The demo database NOLK is selected and both trees fill;
生成 writes the generated library to build/app/Output.
TEXT
./build/app/pellam
