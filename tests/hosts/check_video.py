#!/usr/bin/env python3
"""Checks a recording against the snapshots a script took while it was made.

Usage: check_video.py VIDEO OUT_DIR SECONDS 'TIME=SNAPSHOT|TIME=SNAPSHOT|...' [PLAYER_FRAMES]

The video must be H.264 at 30 frames a second, SECONDS long on the app's clock (SECONDS * 30
frames), at the snapshots' size. The frame due at each TIME (seconds from the start) is decoded
with ffmpeg and must match the snapshot taken then (PSNR of at least 30 dB), and match it better
than every other snapshot listed, so a video whose frames sit at the wrong times fails.

With PLAYER_FRAMES (the player_frames helper), the frames are the ones the platform's own player
shows at each TIME on the manual clock, as an app playing the recording would see it; each must
also match the frame ffmpeg decodes there.
"""
import json
import os
import re
import subprocess
import sys
import tempfile

FPS = 30


def probe(video):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
         "stream=codec_name,width,height,r_frame_rate,nb_read_frames", "-of", "json", video],
        check=True, capture_output=True, text=True).stdout
    return json.loads(out)["streams"][0]


def frame(video, index, path):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", video, "-vf", f"select=eq(n\\,{index})",
                    "-frames:v", "1", path], check=True)


def player_frames(helper, video, scratch, times):
    subprocess.run([helper, video, scratch] + [str(t) for t in sorted(set(times))], check=True)
    return {t: os.path.join(scratch, f"player-{t}.png") for t in times}


def psnr(a, b):
    err = subprocess.run(["ffmpeg", "-v", "info", "-i", a, "-i", b, "-lavfi", "psnr", "-f", "null",
                          "-"], capture_output=True, text=True).stderr
    found = re.search(r"average:(inf|[0-9.]+)", err)
    if not found:
        sys.exit(f"ffmpeg gave no PSNR for {a} against {b}:\n{err}")
    return float("inf") if found.group(1) == "inf" else float(found.group(1))


def main():
    video, out_dir, seconds, wanted = sys.argv[1:5]
    helper = sys.argv[5] if len(sys.argv) > 5 else None
    stream = probe(video)
    problems = []
    expected_frames = round(float(seconds) * FPS)
    if stream["codec_name"] != "h264":
        problems.append(f"codec {stream['codec_name']}, expected h264")
    if stream["r_frame_rate"] != f"{FPS}/1":
        problems.append(f"frame rate {stream['r_frame_rate']}, expected {FPS}/1")
    if int(stream["nb_read_frames"]) != expected_frames:
        problems.append(f"{stream['nb_read_frames']} frames, expected {expected_frames} "
                        f"({seconds} s at {FPS} a second)")
    shots = []
    for item in wanted.split("|"):
        time, name = item.split("=")
        shots.append((float(time), os.path.join(out_dir, name)))
    with tempfile.TemporaryDirectory() as scratch:
        shown = player_frames(helper, video, scratch, [t for t, _ in shots]) if helper else {}
        for time, snapshot in shots:
            # The frame due at or just before the snapshot's time.
            index = int(time * FPS + 1e-6)
            picture = os.path.join(scratch, f"frame-{index}.png")
            frame(video, index, picture)
            if helper:
                # The player must show the very frame due then, not a neighbour.
                if psnr(shown[time], picture) < 45:
                    problems.append(f"the player shows another frame at {time} s than frame "
                                    f"{index}")
                picture = shown[time]
            own = psnr(picture, snapshot)
            if own < 30:
                problems.append(f"frame {index} ({time} s) differs from {snapshot}: "
                                f"PSNR {own:.1f} dB")
            for _, other in shots:
                if other != snapshot and psnr(picture, other) >= own:
                    problems.append(f"frame {index} ({time} s) is as close to {other} as to "
                                    f"{snapshot}")
    if problems:
        sys.exit("\n".join(problems))


if __name__ == "__main__":
    main()
