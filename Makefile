# The two commands a person needs: `make run` and `make test`.
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=
# Warnings are errors in CI (CI=true, as .ci/run sets it).
WERROR   ?= $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all build run test deps bench sanitize fuzz clean format check-format

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DKIV_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	@grep -qx 'KIV_WERROR:BOOL=$(WERROR)' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DKIV_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/kiv $(ARGS)

test: deps
	scripts/check-includes
	$(MAKE) build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

# Under AddressSanitizer and UndefinedBehaviorSanitizer: every test program and the program
# (offscreen) in one Debug tree of their own, without the benchmarks. Leak reports name only
# what Qt itself leaks (tests/lsan-qt.supp says which and why).
# intercept_tls_get_addr=0: the GCC 12 / LLVM 14 runtimes' interceptor takes a malloc'd dynamic-TLS block for glibc's header, and LeakSanitizer's tracer crashes at exit.
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-qt.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
sanitize: deps
	cmake -S . -B build-asan -DKIV_WERROR=$(WERROR) -DKIV_SANITIZE=ON -DKIV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j $(JOBS)
	cd build-asan && $(SANITIZE_ENV) QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
	  ctest --output-on-failure -j $(JOBS)

# libFuzzer targets built with clang, all running at once for FUZZ_SECONDS.
FUZZ_SECONDS ?= 20
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKIV_WERROR=$(WERROR) -DKIV_CORE_ONLY=ON -DKIV_FUZZ=ON -DKIV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-fuzz -j $(JOBS)
	scripts/fuzz-all build-fuzz $(FUZZ_SECONDS)

# The layout of .clang-format: `make format` applies it to every tracked source,
# `make check-format` names what differs.
format: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 -r -n 50 -P $(JOBS) clang-format -i

check-format: deps
	@scripts/check-format

clean:
	rm -rf $(BUILD) build-asan build-fuzz
