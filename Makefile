# make           builds the program, build/xasreduce
# make demo      reduces the example spectrum into demo/ and draws it
# make test      builds and runs every test
# make check     make test, then every test again under the sanitizers
# make install   installs the program, its manual page, gnuplot scripts and Python
#                module under PREFIX
# make deb       builds the Debian package and checks it with lintian
# make sincos-check  every float through the vector sine and cosine, against the C library
# make bench     times each stage and whole runs
# make fuzz      runs each fuzz target for FUZZ_SECONDS seconds
# Each first installs the Debian packages it needs that are missing
# (scripts/install-deps), and shows the build's output only when it fails.

BUILD ?= build
JOBS ?= 2
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local
export JOBS

# CMake's makefiles run make inside make: keep them from announcing every
# directory they enter and leave.
MAKEFLAGS += --no-print-directory

.PHONY: all program demo test check test-sanitize install deb sincos-check bench fuzz clean

all: program

program:
	@scripts/install-deps build
	@scripts/build $(BUILD) xasreduce

demo:
	@scripts/install-deps demo
	@scripts/build $(BUILD) xasreduce
	@scripts/demo $(BUILD)/xasreduce

test:
	@scripts/install-deps test
	@scripts/build $(BUILD) all -DXAS_TESTS=ON
	@scripts/run-tests $(BUILD)

check: test test-sanitize

test-sanitize:
	@scripts/install-deps test
	@scripts/build build-sanitize all -DCMAKE_BUILD_TYPE=Debug -DXAS_TESTS=ON -DXAS_SANITIZE=ON
	@scripts/run-tests build-sanitize

install:
	@scripts/install-deps build python
	@scripts/build $(BUILD) "xasreduce python_package documents"
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The package links the system's shared libraries, as Debian's policy asks:
# it is built in a directory of its own.
deb:
	@scripts/install-deps deb
	@scripts/build build-deb "xasreduce python_package documents" -DXAS_STATIC=OFF -DXAS_TESTS=OFF
	@echo "packaging..."
	@scripts/quietly build-deb/package.log cpack -G DEB --config build-deb/CPackConfig.cmake -B build-deb
	@sed -n 's/^CPack: - package: \(.*\) generated\.$$/package: \1/p' build-deb/package.log
	@scripts/quietly build-deb/lintian.log sh -c 'lintian --fail-on error build-deb/xasreduce_*.deb'
	@echo "lintian: no error"

sincos-check:
	@scripts/install-deps test
	@scripts/build $(BUILD) sincos_exhaustive -DXAS_TESTS=ON
	@$(BUILD)/tests/sincos_exhaustive

bench:
	@scripts/install-deps bench
	@scripts/build build-bench "stages_bench xasreduce" -DXAS_TESTS=OFF -DXAS_BENCH=ON
	@build-bench/bench/stages_bench
	@bench/wall.sh build-bench/xasreduce
	@bench/series.sh build-bench/xasreduce

fuzz:
	@scripts/install-deps fuzz
	@scripts/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-sanitize build-bench build-fuzz build-deb demo
