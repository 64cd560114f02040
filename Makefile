# Thin wrapper over CMake. Every target first installs what the machine lacks.
JOBS   ?= $(shell nproc)
BUILD  ?= build
TBUILD ?= build-asan
GUI    ?= ON
FUZZ_SECONDS ?= 60

DEPS_GUI = $(if $(filter ON,$(GUI)),gui,)

.PHONY: all build run test bench fuzz install clean

all: build

build:
	tools/install-deps core $(DEPS_GUI)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEL_GUI=$(GUI) -DKORVEL_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run-korvel $(BUILD)/bin

test:
	tools/install-deps core test $(DEPS_GUI)
	cmake -S . -B $(TBUILD) -DCMAKE_BUILD_TYPE=Debug -DKORVEL_GUI=$(GUI) \
	  -DKORVEL_SANITIZE=ON -DKORVEL_WERROR=ON -DKORVEL_TESTS=ON
	cmake --build $(TBUILD) -j $(JOBS)
	cd $(TBUILD) && ctest --output-on-failure -j $(JOBS)

bench:
	tools/install-deps core bench
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVEL_GUI=$(GUI) -DKORVEL_TESTS=OFF -DKORVEL_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	bench/run-all build-bench

fuzz:
	tools/install-deps core fuzz
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_GUI=OFF -DKORVEL_TESTS=OFF -DKORVEL_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	fuzz/run build-fuzz $(FUZZ_SECONDS)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(TBUILD) build-bench build-fuzz
