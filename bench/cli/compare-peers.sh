#!/usr/bin/env bash
# lumatrine-cli convert against the command-line peers doing the same work on a 6000 x 4000 JPEG:
# crop to the ratio-50 window, resize bicubically to 960 x 540, unsharp mask of radius 0.75 and amount
# 0.25, save as JPEG at quality 92. Whole processes, measured by hyperfine in one run. Also: the same
# conversion of a smooth and of a noisy photo against a bare decode of it (djpeg to /dev/null), the
# start of the program (--help, info on a small PNG), --jobs 2 against --jobs 1 over 20 such files, and
# the peak memory of one conversion against the decoded size.
# Usage: compare-peers.sh LUMATRINE_CLI [RUNS]
set -euo pipefail
cli="$(realpath "$1")"
runs="${2:-10}"
work="$(mktemp -d /tmp/lumatrine-peers.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# A photograph-like input: smooth fractal colour fields with fine detail.
convert -seed 7 -size 6000x4000 plasma:fractal -quality 90 photo.jpg
# The same with sensor-like noise: a larger file that takes longer to decode.
convert photo.jpg -seed 3 -attenuate 0.6 +noise Gaussian -quality 90 noisy.jpg
convert -size 64x48 plasma:fractal small.png
# (the scales get a millionth of a pixel more so vips does not round the output size down)
# The crop window lumatrine-cli uses at --ratio 50 for a 6000 x 4000 source (width / 1.5556, centred).
crop_w=6000 crop_h=3857 crop_x=0 crop_y=71

ours="$cli convert --force --ratio 50 --sharpen 25 --quality 92 -o ours.jpg photo.jpg"
vips_chain="vips crop photo.jpg c.v $crop_x $crop_y $crop_w $crop_h && \
vips affine c.v a.v \"$(python3 -c "print((960 + 1e-6) / $crop_w, 0, 0, (540 + 1e-6) / $crop_h)")\" --interpolate bicubic && \
vips sharpen a.v s.v --sigma 0.75 && vips copy s.v 'vips.jpg[Q=92]'"
magick="convert photo.jpg -crop ${crop_w}x${crop_h}+${crop_x}+${crop_y} +repage -filter Catrom -resize '960x540!' \
-unsharp 0x0.75+0.25+0 -quality 92 magick.jpg"

hyperfine --warmup 1 --runs "$runs" --export-json peers.json -n lumatrine "$ours" -n vips "$vips_chain" -n imagemagick "$magick"

hyperfine -N --warmup 1 --runs "$runs" --export-json decode.json \
  -n djpeg-smooth "djpeg -outfile /dev/null photo.jpg" -n lumatrine-smooth "$ours" \
  -n djpeg-noisy "djpeg -outfile /dev/null noisy.jpg" \
  -n lumatrine-noisy "$cli convert --force --ratio 50 --sharpen 25 --quality 92 -o ours-noisy.jpg noisy.jpg"

hyperfine -N --warmup 10 --runs "$(( runs * 20 ))" --export-json start.json \
  -n help "$cli --help" -n info "$cli info small.png" -n djpeg-version "djpeg -version"

mkdir -p batch out1 out2
for i in $(seq -w 1 20); do ln photo.jpg "batch/photo$i.jpg"; done
hyperfine --warmup 1 --runs "$(( (runs + 1) / 2 ))" --export-json jobs.json \
  -n jobs1 "$cli convert --force --ratio 50 --sharpen 25 --jobs 1 -o out1 batch/*.jpg" \
  -n jobs2 "$cli convert --force --ratio 50 --sharpen 25 --jobs 2 -o out2 batch/*.jpg"

peak_kib=$( { /usr/bin/time -f %M $ours >/dev/null; } 2>&1 | tail -1)

python3 - "$peak_kib" <<'PY'
import json, sys
def medians(path):
    return {r["command"]: r["median"] for r in json.load(open(path))["results"]}
peers = medians("peers.json")
jobs = medians("jobs.json")
decode = medians("decode.json")
start = medians("start.json")
ours = peers["lumatrine"]
print(f"lumatrine-cli convert      {ours * 1000:8.1f} ms")
print(f"vips chain                 {peers['vips'] * 1000:8.1f} ms   lumatrine/vips        {ours / peers['vips']:.3f} (target <= 0.25)")
print(f"ImageMagick convert        {peers['imagemagick'] * 1000:8.1f} ms   lumatrine/imagemagick {ours / peers['imagemagick']:.3f} (target <= 0.2)")
for photo in ("smooth", "noisy"):
    ours_photo, djpeg = decode[f"lumatrine-{photo}"], decode[f"djpeg-{photo}"]
    print(f"{photo:6} photo: convert {ours_photo * 1000:8.1f} ms   djpeg -outfile /dev/null {djpeg * 1000:8.1f} ms   "
          f"ratio {ours_photo / djpeg:.3f} (target <= 1.10)")
print(f"lumatrine-cli --help       {start['help'] * 1000:8.2f} ms   (target <= 3 ms; djpeg -version {start['djpeg-version'] * 1000:.2f} ms)")
print(f"lumatrine-cli info small   {start['info'] * 1000:8.2f} ms   (target <= 3 ms)")
print(f"20 files --jobs 1          {jobs['jobs1'] * 1000:8.1f} ms")
print(f"20 files --jobs 2          {jobs['jobs2'] * 1000:8.1f} ms   speed-up {jobs['jobs1'] / jobs['jobs2']:.2f} x (target >= 1.8)")
peak = int(sys.argv[1]) * 1024
decoded = 6000 * 4000 * 3
print(f"peak memory                {peak / 2**20:8.1f} MiB   / decoded source {peak / decoded:.2f} (target <= 1.5)")
PY
