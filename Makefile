# Thin wrapper over CMake and CTest.
#   make test              install what is missing, build, run every test
#   make run               build, start the unit simulator and korvan on it
#   make bench             build and run the benchmarks
#   SANITIZE=1 make test   the same with AddressSanitizer and UBSan (build-asan/)
#   make fuzz              every fuzz harness for FUZZ_SECONDS (default 300) with clang
#                          and libFuzzer (build-fuzz/); FUZZ_TARGETS="a b" for a few
SANITIZE ?= 0
ifeq ($(SANITIZE),1)
BUILD ?= build-asan
CMAKE_FLAGS += -DKELD_SANITIZE=ON
else
BUILD ?= build
endif
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench fuzz clean

all: build

deps:
	@scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

run: build
	scripts/run-demo.sh $(BUILD)

bench: build
	scripts/run-bench.sh $(BUILD)

fuzz: deps
	scripts/run-fuzz.sh

clean:
	rm -rf build build-asan build-fuzz
