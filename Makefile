# Set-up, build, run and test in fixed places: build/ (Release, the program and its run
# directory build/run/), build-test/ (sanitizers, for the tests), build-fuzz/ (clang, libFuzzer).
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# With FUZZ_RUNS set, each fuzzer runs that many inputs instead of FUZZ_SECONDS.
FUZZ_RUNS ?=
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)
# Under sudo only the packages are installed as root: the build and the program belong to the
# user who called sudo, so that the program runs in the web engine's sandbox.
AS_USER := $(if $(and $(filter 0,$(shell id -u)),$(filter-out root,$(SUDO_USER))),runuser -u $(SUDO_USER) --)

.PHONY: setup build run install deb test bench fuzz clean

setup:
	@bash scripts/setup

build: setup
	@test -f build/CMakeCache.txt || $(AS_USER) cmake -S . -B build $(CMAKE_GEN) \
	  -DCMAKE_BUILD_TYPE=Release -DZELVANE_TESTS=OFF
	$(AS_USER) cmake --build build -j $(JOBS)

# Run as root (not through sudo), the program runs as root, without the engine's sandbox.
run: build
	@$(AS_USER) bash scripts/run-program

# Installs under CMAKE_INSTALL_PREFIX (/usr/local unless configured), or under PREFIX when given.
install: build
	cmake --install build $(if $(PREFIX),--prefix $(PREFIX))

# The Debian package build/deb/tarnel_VERSION_ARCH.deb, built by dpkg-buildpackage from a copy
# of this tree in build/deb/, then checked by lintian.
deb: setup
	@deb=$$($(AS_USER) env JOBS=$(JOBS) bash scripts/build-deb build/deb) && \
	  echo "lintian $$deb" && $(AS_USER) lintian "$$deb" && echo "Built $$deb"

test: setup
	@test -f build-test/CMakeCache.txt || cmake -S . -B build-test $(CMAKE_GEN) \
	  -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=ON -DZELVANE_WERROR=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && ctest --output-on-failure -j $(JOBS) --timeout 600

bench: build
	@bash scripts/run-bench

fuzz: setup
	@test -f build-fuzz/CMakeCache.txt || CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_GEN) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@bash scripts/run-fuzz build-fuzz $(FUZZ_SECONDS) $(FUZZ_RUNS)

clean:
	rm -rf build build-test build-fuzz
