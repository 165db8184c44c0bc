#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each for SECONDS.
# Exits non-zero when a target finds a crash. Usage: scripts/fuzz.sh SECONDS [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: $0 SECONDS [TARGET...]}
shift
targets=("$@")
((${#targets[@]})) || targets=(profile_fuzz combo_record_fuzz)

dir=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$flags" \
    -DSUANTIJI_FUZZ=ON -DSUANTIJI_TESTS=OFF -DSUANTIJI_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"

status=0
for t in "${targets[@]}"; do
    corpus=$dir/corpus/$t
    mkdir -p "$corpus" "$dir/artifacts"
    seeds=()
    [[ -d tests/fuzz/seeds/$t ]] && seeds=("tests/fuzz/seeds/$t")
    extra=()
    # Settings lines can be long: let the profile inputs pass the 10239-byte value limit.
    [[ $t == profile_fuzz ]] && extra=(-max_len=65536)
    echo "fuzz: $t for ${seconds}s"
    if ! "$dir/bin/$t" "${extra[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$t-" "$corpus" "${seeds[@]}"; then
        echo "fuzz: $t found a failure (see $dir/artifacts)" >&2
        status=1
    fi
done
exit $status
