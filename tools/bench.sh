#!/usr/bin/env bash
# The speed comparisons, as one command: installs the peers (OpenCV, libvips, ImageMagick, djpeg, hyperfine;
# never needed to build or test the program), builds Release with the benchmarks, runs every Google
# Benchmark program with 10 repetitions (medians, peers in the same run) and the whole-process
# comparison of lumatrine-cli, then prints the ratios. Usage: tools/bench.sh [REPETITIONS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

repetitions="${1:-10}"
lumatrine_install_packages "${LUMATRINE_PACKAGES[@]}" libopencv-dev libvips-dev libvips-tools imagemagick hyperfine time \
  libjpeg-turbo-progs

build="$LUMATRINE_ROOT/build/bench"
lumatrine_build "$build" -DCMAKE_BUILD_TYPE=Release -DLUMATRINE_TESTS=OFF -DLUMATRINE_BENCH=ON
results="$build/results"
mkdir -p "$results"
# The window benchmarks draw off-screen: they measure painting, not a display.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
for program in app/app_bench ui/ui_view_bench ui/panel_bench ui/file_panel_drag_bench document/dialogs_bench \
    cli/folder_convert_bench conversion/conversion_bench cli/cli_bench document/document_bench codec/codec_jpeg_bench \
    codec/codec_pixels_bench; do
  name="$(basename "$program")"
  "$build/bench/$program" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_out="$results/$name.json" --benchmark_out_format=json
done

python3 - "$results" <<'PY'
import json, sys
medians = {}
for name in ("conversion_bench", "cli_bench", "document_bench"):
    for row in json.load(open(f"{sys.argv[1]}/{name}.json"))["benchmarks"]:
        if row.get("aggregate_name") == "median":
            medians[row["run_name"]] = row["real_time"] if row["time_unit"] == "ms" else row["real_time"] / 1000
print("\nratios of medians (targets in brackets)")
for size in ("6000/h:4000", "4000/h:3000"):
    for threads in (1, 2):
        ours = medians[f"BM_UpdateConversion/w:{size}/threads:{threads}"]
        peer = medians.get(f"BM_OpenCvResizeUnsharp/w:{size}/threads:{threads}")
        ratio = f"{ours / peer:.3f}" if peer else "(OpenCV not built)"
        print(f"UpdateConversion {size.replace('/h:', ' x ')}, {threads} thread(s): {ours:7.2f} ms, / OpenCV {ratio} [<= 0.75]")
print(f"PanCrop: {medians['BM_PanCrop'] * 1000:.3f} us [< 1000 us]")
load, decode = medians["BM_LoadJpegIntoSource"], medians["BM_LibjpegDecodeTouchedBuffer"]
print(f"JPEG load {load:.1f} ms / libjpeg-turbo into a touched buffer {decode:.1f} ms = {load / decode:.3f} [<= 1.2]")
print(f"JPEG load then first update: {medians['BM_LoadJpegThenFirstUpdate']:.1f} ms")
print(f"quality search: {medians['BM_SuggestQuality']:.2f} ms [< 25 ms]")
PY

"$LUMATRINE_ROOT/bench/cli/compare-peers.sh" "$build/cli/lumatrine-cli" "$repetitions"
