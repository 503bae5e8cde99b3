# Entry points: `make run` opens the editor on the demo world, `make test` runs every test headless.
# Both install the Debian packages the build needs first, when any is missing.

PACKAGES      := cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libdeflate-dev nlohmann-json3-dev libgtest-dev libgmock-dev \
                 desktop-file-utils xdg-utils shared-mime-info libfile-mimeinfo-perl \
                 fonts-urw-base35 fonts-liberation
# The browser tests drive Debian's Chromium with puppeteer-core from the npm registry.
TEST_PACKAGES := chromium
BENCH_PACKAGES := libbenchmark-dev tiled
FUZZ_PACKAGES  := clang libclang-rt-14-dev
PACKAGE_PACKAGES := dpkg-dev file
# The browser editor: Debian's emscripten (with its clang, binaryen and node) compiles the core.
WEB_PACKAGES := emscripten cmake ninja-build

PRESET ?= default
BUILD_DIR := build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: all deps web web-deps node-packages build test test-core run bench test-sanitize fuzz package package-deps install clean

all: build

# Installs what is missing when run as root; otherwise prints the command and stops.
define ensure_packages
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    export DEBIAN_FRONTEND=noninteractive; \
	    apt-get update -qq && apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "These Debian packages are missing. Install them with:"; \
	    echo "  sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi
endef

deps:
	$(call ensure_packages,$(PACKAGES))

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j $(JOBS)

# The browser editor in build/web/editor (open its index.html), and its zip in build/web.
# emscripten's JavaScript optimiser finds Debian's acorn through NODE_PATH.
web:
	$(call ensure_packages,$(WEB_PACKAGES))
	NODE_PATH=/usr/share/nodejs cmake --preset web
	NODE_PATH=/usr/share/nodejs cmake --build --preset web -j $(JOBS)

# Chromium, Node.js with npm (Debian's, when the machine has none), and the test driver.
web-deps:
	$(call ensure_packages,$(TEST_PACKAGES))
	@if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then \
	  $(MAKE) --no-print-directory NODE_PACKAGES="nodejs npm" node-packages; \
	fi
	@if [ ! -f tests/web/node_modules/.package-lock.json ] || [ tests/web/package-lock.json -nt tests/web/node_modules/.package-lock.json ]; then \
	  echo "Installing the browser tests' driver (npm ci in tests/web)"; \
	  cd tests/web && npm ci --no-audit --no-fund --loglevel=error; \
	fi

node-packages:
	$(call ensure_packages,$(NODE_PACKAGES))

test: PRESET = default
test: web-deps web build
	ctest --preset default -j $(JOBS)

# The toolkit-free core (world, render, chronicle, editor, export) built and tested alone, with
# Qt out of reach of the build: what a front end without Qt, such as the browser's, stands on.
CORE_PACKAGES := cmake ninja-build g++ libdeflate-dev libgtest-dev libgmock-dev nlohmann-json3-dev
test-core:
	$(call ensure_packages,$(CORE_PACKAGES))
	cmake --preset core
	cmake --build --preset core -j $(JOBS)
	ctest --preset core -j $(JOBS)

run: PRESET = default
run: build
	cd $(BUILD_DIR)/demo/world && ../../src/desktop/tirmagor-editor

bench: web
	$(call ensure_packages,$(PACKAGES) $(BENCH_PACKAGES))
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	cd build/bench && ./bench/tirmagor-bench

# Every fuzz target for FUZZ_SECONDS each, one after another, under ASan and UBSan (clang).
FUZZ_SECONDS ?= 60
fuzz:
	$(call ensure_packages,$(PACKAGES) $(FUZZ_PACKAGES))
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	fuzz/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

test-sanitize: PRESET = sanitize
test-sanitize: web-deps web build
	ctest --preset sanitize -j $(JOBS)

# The Debian package, in build/default: tirmagor-editor_<version>_<arch>.deb, with the browser
# editor under share/tirmagor-editor/web; beside it the browser editor alone as a zip,
# tirmagor-editor-web-<version>.zip, for Windows and macOS.
# dpkg-shlibdeps (dpkg-dev, with file) adds the libraries the programs link to the package's
# dependencies; configure looks for it, so it comes first.
package-deps:
	$(call ensure_packages,$(PACKAGE_PACKAGES))

package: PRESET = default
package: package-deps web build
	cd $(BUILD_DIR) && cpack -G DEB
	cp build/web/tirmagor-editor-web-*.zip $(BUILD_DIR)/

# Installs into PREFIX (default /usr/local); `make install PREFIX=$$HOME/.local` needs no root.
PREFIX ?= /usr/local
install: PRESET = default
install: web build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf build
