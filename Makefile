# Makefile -- the two commands: `make run` shows the intro, `make test` runs the test suite
#
# Each command installs the Debian packages it needs that are missing (through sudo
# when not root), then configures and builds only what it runs. Without Debian's
# package tools it names the packages instead and goes on with what is installed.
# The long checks (fuzzing, the million-frame soak, valgrind) have targets of their own.

BUILD        := build
SAN_BUILD    := build-sanitize
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 300
SOAK_FRAMES  ?= 1000000
JOBS      := $(shell nproc 2>/dev/null || echo 2)
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# What each command installs. A command's list adds to the one above it; to give a
# command another package, add it to that command's line.
# run: the compiler, the build system and the two libraries the intro links.
RUN_PACKAGES      := cmake g++ make pkg-config libsdl1.2-compat-dev libopenmpt-dev
# video: libpng for the recorder's PNG frames, ffmpeg for its videos.
VIDEO_PACKAGES    := $(RUN_PACKAGES) libpng-dev ffmpeg
# The .deb is built and checked with Debian's build flags and dpkg-shlibdeps, the
# package checker, and the desktop entry's and metainfo's validators.
PACKAGE_TOOLS     := dpkg-dev lintian desktop-file-utils appstream binutils
# test: the recorder's needs, the package tools (the package's test is in the suite),
# GoogleTest, FreeType and the face the font generator draws from, a virtual X server
# with a window manager and input injection.
TEST_PACKAGES     := $(VIDEO_PACKAGES) $(PACKAGE_TOOLS) libgtest-dev libfreetype-dev fonts-dejavu-core \
                     xvfb xauth xdotool x11-utils libx11-dev libxfixes-dev openbox
# fuzz: clang with libFuzzer and its sanitizer runtimes.
FUZZ_PACKAGES     := $(TEST_PACKAGES) clang libclang-rt-14-dev
# memcheck: valgrind.
MEMCHECK_PACKAGES := $(TEST_PACKAGES) valgrind
SOAK_PACKAGES     := $(TEST_PACKAGES)
# windows: Debian's mingw-w64 cross compiler (posix threads) and its zlib, dpkg-source for
# the Debian sources of SDL, libopenmpt and libpng, and this machine's compiler and libpng
# for the icon tools.
WINDOWS_PACKAGES  := cmake make g++ pkg-config libpng-dev dpkg-dev xz-utils \
                     g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
                     libz-mingw-w64-dev
# test-windows: the Linux recorder to compare with, Wine, and a virtual X server with a
# window manager and input injection.
WINETEST_PACKAGES := $(WINDOWS_PACKAGES) libsdl1.2-compat-dev libopenmpt-dev wine wine64 \
                     xvfb xauth xdotool x11-utils libx11-dev openbox
# web: Debian's emscripten and node for the page, dpkg-dev to unpack the Debian sources of
# SDL 1.2 and libopenmpt built for it, python3's static server for web-serve.
WEB_PACKAGES      := cmake make emscripten nodejs dpkg-dev python3
# webtest: the recorder to compare with; headless Chromium, headless Firefox and WebKitGTK's
# driver (with its MiniBrowser) and node's WebSocket module to drive them; PulseAudio for the
# sound of the two that need a sound server; a virtual X server for WebKit and input injection
# into it; stress-ng for the CPU-bound load the music must play through.
WEBTEST_PACKAGES  := $(WEB_PACKAGES) $(VIDEO_PACKAGES) chromium firefox-esr webkit2gtk-driver node-ws \
                     pulseaudio xvfb xdotool stress-ng

# Release build with the suite configured; `make run` alone configures it without.
CONFIGURE_TESTS := cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DSWAYBOARD_TESTS=ON
# For the commands that build only a program: a tree that `make test` configured keeps its
# tests; a fresh one is configured without them, so that GoogleTest and the rest are not needed.
CONFIGURE_IF_FRESH := @[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DSWAYBOARD_TESTS=OFF

.PHONY: all build run video preview test test-fast sanitize fuzz soak memcheck presentation-bench package clean \
        windows test-windows web web-serve test-web web-bench web-profile

all: build

# $(call install_missing,<packages>): apt-get installs those not installed yet. Without
# dpkg-query or apt-get (a distribution other than Debian's family) nothing is installed:
# the list is printed and the build goes on, where CMake names any library it cannot find.
define install_missing
@if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then \
	  echo "No apt-get or dpkg-query here, so nothing is installed. On Debian this would install:"; \
	  echo "$(strip $(1))" | fold -s -w 86 | sed 's/^/  /'; \
	  echo "Other systems name these differently (the SDL 1.2 API, for example, as sdl12-compat);"; \
	  echo "install their counterparts with the system's own package manager. Going on with what is there."; \
	  exit 0; \
	fi; \
	missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

# deps-run, deps-video, deps-test, ...: what that command needs, from its list above.
deps-%:
	$(call install_missing,$($(shell echo $* | tr a-z A-Z)_PACKAGES))

# Only the intro.
run: deps-run
	$(CONFIGURE_IF_FRESH)
	cmake --build $(BUILD) --target swayboard -j$(JOBS)
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)."; \
	  echo "On a desktop, run it in a window:   $(BUILD)/swayboard w"; \
	  echo "In a virtual X server:              xvfb-run -a -s '-screen 0 800x600x24' $(BUILD)/swayboard w"; \
	  echo "Or record a video with the music:   make video"; \
	  exit 1; \
	fi
	$(BUILD)/swayboard

# One pass of the show with its music as a video; the extension picks the format (.mp4,
# .webm, .mkv). Like `make run`, a fresh tree is configured without the suite.
VIDEO ?= swayboard.mp4
video: deps-video
	$(CONFIGURE_IF_FRESH)
	cmake --build $(BUILD) --target swayboard-capture -j$(JOBS)
	$(BUILD)/swayboard-capture --video $(VIDEO)

# The README's still and animated loop, made by the recorder into docs/.
preview: deps-video
	$(CONFIGURE_IF_FRESH)
	cmake --build $(BUILD) --target swayboard-capture -j$(JOBS)
	sh recorder/preview.sh $(BUILD)/swayboard-capture docs

# Everything of the Release tree: the intro, the capture tool, the data tools and the tests.
build: deps-test
	$(CONFIGURE_TESTS)
	cmake --build $(BUILD) -j$(JOBS)

# The suite on the Release build, then on a build with AddressSanitizer and
# UndefinedBehaviorSanitizer. The fuzz targets replay their committed inputs in both;
# valgrind's run is left to `make memcheck`.
test: build sanitize
	ctest --test-dir $(BUILD) --output-on-failure -j2 -LE valgrind
	ctest --test-dir $(SAN_BUILD) --output-on-failure -j2 -LE 'no-sanitize|valgrind'

# Only the Release build's suite: quicker while working.
test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j2 -LE valgrind

sanitize: deps-test
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSWAYBOARD_SANITIZE=ON -DSWAYBOARD_TESTS=ON
	cmake --build $(SAN_BUILD) -j$(JOBS)

# Each fuzz target for FUZZ_SECONDS (5 minutes each by default), in a clang build of its own.
fuzz: deps-fuzz
	sh tests/robust/fuzz.sh $(FUZZ_SECONDS) $(FUZZ_BUILD)

# A million frames of the whole show, headless and unpaced, under UBSan.
soak: deps-soak
	$(CONFIGURE_TESTS)
	sh tests/robust/soak.sh $(SOAK_FRAMES) $(BUILD)

# A short headless show under valgrind's memcheck, on the Release build.
memcheck: deps-memcheck
	$(CONFIGURE_TESTS)
	cmake --build $(BUILD) --target robust_show_plain -j$(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -L valgrind

# The show in a window under virtual X servers, with the maintained SDL 1.2 and the
# classic one (unpacked into the build tree, never installed): start-up, drawing,
# presenting, pacing, CPU and memory. BENCH_SECONDS of frames a run.
BENCH_SECONDS ?= 10
presentation-bench: deps-test
	$(CONFIGURE_TESTS)
	cmake --build $(BUILD) --target presentation_bench -j$(JOBS)
	sh bench/presentation_bench.sh $(BUILD) $(BENCH_SECONDS)

# The Debian package, build/swayboard_<version>_<arch>.deb, from the Release build.
package: build
	cd $(BUILD) && cpack -G DEB

# The Windows zip, build-windows/swayboard-<version>-windows-x86_64.zip, cross-compiled
# with mingw-w64. The first run builds SDL, libopenmpt and libpng for Windows from Debian's
# sources into build-windows/deps (about half an hour on two cores); later runs reuse them.
WINDOWS_BUILD   := build-windows
WINDOWS_VERSION := $(shell sed -n 's/^project.swayboard VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
WINDOWS_ZIP     := $(CURDIR)/$(WINDOWS_BUILD)/swayboard-$(WINDOWS_VERSION)-windows-x86_64.zip
windows: deps-windows
	JOBS=$(JOBS) sh tools/deps/build_windows_deps.sh $(WINDOWS_BUILD)/deps
	cmake -S . -B $(WINDOWS_BUILD)/intro -DCMAKE_TOOLCHAIN_FILE=cmake/windows/toolchain.cmake \
	  -DSWAYBOARD_WINDOWS_PREFIX=$(CURDIR)/$(WINDOWS_BUILD)/deps/prefix -DCMAKE_BUILD_TYPE=Release \
	  -DSWAYBOARD_TESTS=OFF -DSWAYBOARD_WINDOWS_ZIP=$(WINDOWS_ZIP)
	cmake --build $(WINDOWS_BUILD)/intro -j$(JOBS)

# The Windows programs under Wine, against the Linux recorder built from the same source.
test-windows: windows deps-winetest
	cmake -S . -B $(WINDOWS_BUILD)/linux -DCMAKE_BUILD_TYPE=Release -DSWAYBOARD_TESTS=OFF
	cmake --build $(WINDOWS_BUILD)/linux --target swayboard-capture -j$(JOBS)
	cmake -S tests/windows -B $(WINDOWS_BUILD)/test -DSWAYBOARD_WINDOWS_ZIP=$(WINDOWS_ZIP) \
	  -DSWAYBOARD_LINUX_CAPTURE=$(CURDIR)/$(WINDOWS_BUILD)/linux/swayboard-capture \
	  -DSWAYBOARD_WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD)/wine \
	  -DSWAYBOARD_WINDOWS_BENCH=$(CURDIR)/$(WINDOWS_BUILD)/intro/magnify_bench.exe
	cmake --build $(WINDOWS_BUILD)/test
	ctest --test-dir $(WINDOWS_BUILD)/test --output-on-failure -V

# The show on a web page: build-web/index.html, swayboard.js and .wasm, swayboard-sound.js and .wasm, with
# classic SDL 1.2 and libopenmpt built for WebAssembly once into build-web/deps/.
WEB_BUILD := build-web
WEB_PORT  ?= 8022
# Debian's emscripten runs its tools with node, which needs the archive's node modules.
WEB_ENV   := NODE_PATH=/usr/share/nodejs
web: deps-web
	$(WEB_ENV) JOBS=$(JOBS) sh tools/deps/build_web_deps.sh $(WEB_BUILD)
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD)/tree -DCMAKE_BUILD_TYPE=Release -DSWAYBOARD_TESTS=OFF \
	  -DSWAYBOARD_WEB_PREFIX=$(CURDIR)/$(WEB_BUILD)/deps/prefix -DSWAYBOARD_WEB_OUT=$(CURDIR)/$(WEB_BUILD)
	$(WEB_ENV) cmake --build $(WEB_BUILD)/tree -j$(JOBS)

# Serves build-web/ on this machine only; any static web server will do for the page's files.
web-serve: web
	@echo "The show is at http://127.0.0.1:$(WEB_PORT)/ (Ctrl-C stops the server)"
	python3 -m http.server --bind 127.0.0.1 --directory $(WEB_BUILD) $(WEB_PORT)

# The page in Chromium, Firefox and WebKit against the recorder: frames, input, sound, pace;
# then on phones in Chromium's mobile emulation and in Firefox: the fill, taps, no zoom or scroll.
# WEB_ENGINES="Firefox WebKit" runs only those engines' page checks.
WEB_ENGINES ?=
test-web: deps-webtest web
	$(CONFIGURE_IF_FRESH)
	cmake --build $(BUILD) --target swayboard-capture -j$(JOBS)
	$(WEB_ENV) node tests/web/web_test.js $(WEB_BUILD) $(BUILD)/swayboard-capture $(WEB_ENGINES)
	$(WEB_ENV) node tests/web/phone_test.js $(WEB_BUILD)

# The page's figures in headless Chromium beside the recorder's: sizes, frame cost, first
# frame, frames per second and intervals idle, under load and throttled, silence heard, CPU.
web-bench: deps-webtest web
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DSWAYBOARD_TESTS=OFF
	cmake --build $(BUILD) --target swayboard-capture -j$(JOBS)
	$(WEB_ENV) node bench/web_bench.js $(WEB_BUILD) $(BUILD)/swayboard-capture $(BENCH_SECONDS)

# Where Chromium's CPU goes while the page plays at 2x: by process type, and by thread from a trace.
web-profile: deps-webtest web
	$(WEB_ENV) node bench/web_profile.js $(WEB_BUILD) $(BENCH_SECONDS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
	@# The Windows and web dependencies and the Wine prefix are kept: they take long to make.
	rm -rf $(WINDOWS_BUILD)/intro $(WINDOWS_BUILD)/linux $(WINDOWS_BUILD)/test
	rm -rf $(WEB_BUILD)/tree $(WEB_BUILD)/index.html $(WEB_BUILD)/swayboard.js $(WEB_BUILD)/swayboard.wasm \
	  $(WEB_BUILD)/swayboard-sound.js $(WEB_BUILD)/swayboard-sound.wasm $(WEB_BUILD)/constants.js \
	  $(addprefix $(WEB_BUILD)/,run.js layout.js frames.js input.js sound.js)
