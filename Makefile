# The two set-up commands: `make run` and `make test`. Both install missing
# Debian packages first (scripts/bootstrap).

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
PORTABLE := $(BUILD)/portable
JOBS ?= $(shell nproc)
# WERROR=ON fails the build on any compiler warning (CI sets it).
WERROR ?= OFF
# The headless tests under AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_BUILD ?= build-asan

CMAKE_OPTIONS := -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVANTREL_WERROR=$(WERROR)
# Compiling is most of test-sanitize's time: -O0 with line tables only
# (-g1, enough for the reports' stack traces), and the sources compiled
# eight to a unit, which about halves it. In such a unit each source counts
# as an included file, so g++ warns about every class of ours that uses a
# type of the source's anonymous namespace (-Wsubobject-linkage); the normal
# build judges that, one source at a time.
SANITIZE_OPTIONS := -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_UNITY_BUILD=ON \
	-DCMAKE_CXX_FLAGS=-Wno-subobject-linkage -DVANTREL_SANITIZE=ON

.PHONY: all deps configure build run test test-sanitize bench bench-long bench-peer demo demo-run portable clean format deb screenshots real-sites FORCE

all: build

deps:
	@scripts/bootstrap

# The options a build folder was configured with: when they change
# (make test WERROR=ON after a plain build), CMake runs again.
$(BUILD)/cmake-options: OPTIONS = $(CMAKE_OPTIONS)
$(SANITIZE_BUILD)/cmake-options: OPTIONS = $(SANITIZE_OPTIONS)
$(BUILD)/cmake-options $(SANITIZE_BUILD)/cmake-options: FORCE
	@mkdir -p $(@D)
	@echo '$(OPTIONS)' | cmp -s - $@ || echo '$(OPTIONS)' > $@

$(BUILD)/build.ninja: CMakeLists.txt $(BUILD)/cmake-options | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_OPTIONS)

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

# The headless tests (tests/unit) under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own; only the
# libraries they need are built. One process runs them all, so a fault that
# outlives its test (a thread left running on a dead frame) still meets the
# sanitizers in the tests after it.
$(SANITIZE_BUILD)/build.ninja: CMakeLists.txt $(SANITIZE_BUILD)/cmake-options | deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja $(SANITIZE_OPTIONS)

test-sanitize: deps $(SANITIZE_BUILD)/build.ninja
	cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target vantrel_unit_tests
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		$(SANITIZE_BUILD)/tests/vantrel_unit_tests --gtest_brief=1

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
	rm -rf $(BUILD) $(SANITIZE_BUILD)

FORCE:
