#!/usr/bin/env bash
# Installs every Debian package the build, the program, the tests and the
# benchmarks need. Non-interactive and safe to run again.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config ccache clang clang-format
  libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # audio engine
  portaudio19-dev libsndfile1-dev
  jackd2 libjack-jackd2-dev
  # the network link's discovery (DNS-SD)
  libavahi-client-dev avahi-daemon
  # MIDI in and out
  librtmidi-dev
  # timecode: the reference LTC encoder and decoder of tests and benchmarks
  libltc-dev
  # game controllers, the P-Bus serial line (socat: its test line), device hot-plug
  libsdl2-dev qt6-serialport-dev socat libudev-dev
  # media graphs
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
  gstreamer1.0-x gstreamer1.0-gl gstreamer1.0-tools
  # video: H.264 and MPEG-2 decoders (VP8/VP9 and Theora come with good and base)
  gstreamer1.0-libav
  # test services: audio server, virtual display
  pipewire pipewire-bin pipewire-pulse wireplumber dbus gstreamer1.0-pipewire
  pulseaudio-utils xvfb xauth fonts-dejavu-core
  x11-utils sox procps
  # songlist tests: a common player's playlist parser reads our M3U back
  libtotem-plparser-dev
  # driving and photographing the program on the virtual display by hand
  xdotool imagemagick
  # the file-name index behind Dig
  plocate
  # CD burner and ripper: libburn for recorders, libcdio with paranoia for
  # reading; cdrdao's toc2cue and cd-paranoia for the image tests and the benchmark
  libburn-dev libcdio-dev libcdio-paranoia-dev libcdio-utils cdrdao cd-paranoia
  # printing tests look at the printed pages as pictures
  poppler-utils
  # folder-tree tests: a real network share (sshfs over a local sftp server)
  sshfs openssh-sftp-server
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
# jackd2 asks about real-time limits at install time; the tests run it without.
echo 'jackd2 jackd/tweak_rt_limits boolean false' | "${sudo_cmd[@]}" debconf-set-selections
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
