# The two set-up commands: `make run` and `make test`. Both install missing
# Debian packages first (scripts/bootstrap).

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
PORTABLE := $(BUILD)/portable
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench bench-long bench-peer demo demo-run portable clean format deb screenshots real-sites

all: build

deps:
	@scripts/bootstrap

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# A portable data folder in the build tree, seeded from data/ without
# overwriting what the program saved there before.
portable: build
	@scripts/seed-portable data $(PORTABLE)

run: portable
	$(BUILD)/vantrel --data-dir $(PORTABLE)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2

# A Debian package of the program (build/vantrel_*.deb).
deb: build
	cd $(BUILD) && cpack -G DEB

# Serves the product site copy on loopback and starts the program on a fresh
# data folder that searches it.
demo: build
	@scripts/demo $(BUILD)

# The same site and data folder, searched by a batch run (vantrel run).
demo-run: build
	@scripts/demo $(BUILD) run

# The benchmark programs that take seconds; bench-long runs those that take
# minutes (bench/README.md says which).
bench: build
	@bench/run $(BUILD)/bench/quick.list

bench-long: build
	@bench/run $(BUILD)/bench/long.list

# The batch run's list beside a plain headless Chromium doing the same list
# (bench/peer): installs Debian's Chromium and puppeteer-core when missing.
# Never part of test or run.
bench-peer: build
	@bench/peer/run $(BUILD)

# Every window at scale 1 and 2, in English and Japanese, as PNG files
# under build/screenshots/ (under Xvfb, else offscreen).
screenshots: build
	@scripts/screenshots $(BUILD)

# Search applications from Debian packages (wikis, a CGI search, built
# documentation), served on loopback and searched by batch runs; the links
# recorded are checked against each application's own result list
# (scripts/real-sites). Installs what is missing. Never part of test or run.
real-sites: build
	@scripts/real-sites/run $(BUILD)

# The same clang-format version that FormatTest and CI judge with.
format:
	@scripts/check-format --fix

clean:
	rm -rf $(BUILD)
