#!/bin/bash
# Synthesises the demo weapon sounds (WAV, 44.1 kHz, 16-bit, stereo) into the given
# folder, e.g. scripts/make-demo-audio.sh work/Audio/Default
# The names are lower case on purpose: the catalogue names them in other letter cases and
# the editor finds them regardless.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 FOLDER" >&2
    exit 2
fi
out="$1"
mkdir -p "$out"
# Generated at the output rate, so that no rate conversion (and no clipping) follows.
new=(-D -r 44100 -c 2 -n -b 16)

# A falling sine sweep with a quick attack.
sox "${new[@]}" "$out/laser.wav" synth 0.35 sine 2400:300 fade q 0.004 0.35 0.12 gain -n -1

# Particle cannon: a crackling sweep over a low hum.
sox "${new[@]}" "$out/ppc.wav" synth 0.8 square 1800:120 synth 0.8 whitenoise amod 60 \
    gain -6 lowpass 4000 fade q 0.01 0.8 0.4 gain -n -1

# Four short noise thumps in a row.
sox "${new[@]}" "$out/autocan.wav" synth 0.07 brownnoise gain -6 lowpass 1800 overdrive 8 \
    fade q 0.002 0.07 0.05 pad 0 0.05 repeat 3 gain -n -1

# A rattle of twelve clicks.
sox "${new[@]}" "$out/machinegun.wav" synth 0.025 whitenoise gain -6 highpass 800 \
    fade q 0.001 0.025 0.02 pad 0 0.04 repeat 11 gain -n -1

# Rising band of noise that swells and fades.
sox "${new[@]}" "$out/missile.wav" synth 1.2 pinknoise gain -6 sinc 300-2500 \
    fade t 0.35 1.2 0.6 gain -n -1

# A deep noise burst with a long decay.
sox "${new[@]}" "$out/explode.wav" synth 1.6 brownnoise gain -6 lowpass 700 overdrive 12 \
    fade l 0.005 1.6 1.45 gain -n -1

# A sharp crack of a mass driver.
sox "${new[@]}" "$out/gauss.wav" synth 0.5 sine 3000:80 synth 0.5 whitenoise mix gain -6 \
    fade q 0.001 0.5 0.45 gain -n -1

# The roar of a flame thrower: filtered noise that swells and dies away.
sox "${new[@]}" "$out/flamer.wav" synth 1.0 brownnoise gain -6 bandpass 500 400 tremolo 18 40 \
    fade t 0.15 1.0 0.5 gain -n -1

ls "$out"
