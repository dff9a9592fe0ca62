# Makefile -- the two commands: `make run` shows the intro, `make test` runs the whole test suite
#
# Both install whatever Debian packages are missing (through sudo when not root),
# configure and build first. `make build` stops after building.

BUILD        := build
SAN_BUILD    := build-sanitize
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 300
SOAK_FRAMES  ?= 1000000
JOBS      := $(shell nproc 2>/dev/null || echo 2)
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Build tools and libraries, then what the tests use: a virtual X server and input
# injection for the end-to-end tests, clang's fuzzing runtime, sox for audio checks.
PACKAGES := cmake g++ make pkg-config libsdl1.2-compat-dev libopenmpt-dev libpng-dev \
            libgtest-dev xvfb xauth xdotool x11-utils libx11-dev libxfixes-dev openbox libfreetype-dev fonts-dejavu-core clang libclang-rt-14-dev valgrind sox \
            $(PACKAGE_TOOLS)
# What the .deb is built and checked with: Debian's build flags and dpkg-shlibdeps,
# the package checker, and the desktop entry's and metainfo's validators.
PACKAGE_TOOLS := dpkg-dev lintian desktop-file-utils appstream binutils

.PHONY: all deps configure build run test test-fast sanitize fuzz fuzz-build soak presentation-bench package clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)."; \
	  echo "On a desktop, run it in a window:   $(BUILD)/swayboard w"; \
	  echo "Or render frames to PNG files:      $(BUILD)/swayboard-capture --frames 300 --every 50 --png /tmp/frames"; \
	  echo "Or in a virtual X server:           xvfb-run -a -s '-screen 0 800x600x24' $(BUILD)/swayboard w"; \
	  exit 1; \
	fi
	$(BUILD)/swayboard

# The suite runs twice: on the release build, then on a build with AddressSanitizer
# and UndefinedBehaviorSanitizer, so that every unit is also checked by them.
# A third build runs each fuzz target for 20 seconds from its committed seed corpus.
test: build sanitize fuzz-build
	ctest --test-dir $(BUILD) --output-on-failure -j2
	ctest --test-dir $(SAN_BUILD) --output-on-failure -j2 -LE no-sanitize
	ctest --test-dir $(FUZZ_BUILD) --output-on-failure -j2 -L fuzz

sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSWAYBOARD_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j$(JOBS)

# The fuzz targets: clang, libFuzzer, ASan and UBSan, in a build of their own.
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSWAYBOARD_FUZZ=ON
	cmake --build $(FUZZ_BUILD) --target robust_fuzz -j$(JOBS)

# Each fuzz target for FUZZ_SECONDS (5 minutes each by default).
fuzz: deps
	sh tests/robust/fuzz.sh $(FUZZ_SECONDS) $(FUZZ_BUILD)

# A million frames of the whole show, headless and unpaced, under UBSan.
soak: configure
	sh tests/robust/soak.sh $(SOAK_FRAMES) $(BUILD)

# The show in a window under virtual X servers, with the maintained SDL 1.2 and the
# classic one (unpacked into the build tree, never installed): start-up, drawing,
# presenting, pacing, CPU and memory. BENCH_SECONDS of frames a run.
BENCH_SECONDS ?= 10
presentation-bench: configure
	cmake --build $(BUILD) --target presentation_bench -j$(JOBS)
	sh bench/presentation_bench.sh $(BUILD) $(BENCH_SECONDS)

# The Debian package, build/swayboard_<version>_<arch>.deb, from the Release build.
package: build
	cd $(BUILD) && cpack -G DEB

# Only the release build's suite: quicker while working.
test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
