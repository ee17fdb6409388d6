# make demo   installs what is missing, builds, reduces the example spectrum into demo/
# make test   installs what is missing, builds, runs every test (also under the sanitizers)
# make bench  times each stage and whole runs
# make fuzz   runs each fuzz target for FUZZ_SECONDS seconds

BUILD ?= build
JOBS ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all deps build test test-plain test-sanitize demo bench fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release > /dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: test-plain test-sanitize

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DXAS_SANITIZE=ON > /dev/null
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)

demo: build
	scripts/demo $(BUILD)/xasreduce

fuzz: deps
	JOBS=$(JOBS) scripts/fuzz $(FUZZ_SECONDS)

bench: deps build
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DXAS_TESTS=OFF -DXAS_BENCH=ON > /dev/null
	cmake --build build-bench -j $(JOBS) --target stages_bench xasreduce
	build-bench/bench/stages_bench
	bench/wall.sh build-bench/xasreduce

clean:
	rm -rf $(BUILD) build-sanitize build-bench build-fuzz demo
