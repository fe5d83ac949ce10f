# Front door. `make run` and `make test` install what is missing, build and go.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
DEMO_DIR   ?= $(BUILD)/demo
FUZZ_SECONDS ?= 20
JOBS       ?= $(shell nproc)
CLI        := $(BUILD)/daubwell/daubwell-cli
KCLI       := $(BUILD)/kelvane/kelvane-cli

.PHONY: all deps build run run-daubwell demo test sanitize tsan bench fuzz clean

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

APP        := $(BUILD)/daubwell/daubwell
KAPP       := $(BUILD)/kelvane/kelvane
SCREEN     := -screen 0 1400x900x24

# Starts Kelvane on the sample room, its curtain draped. Without a display it runs on a
# virtual screen for a few seconds and leaves a picture of it.
run: demo
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(KAPP) $(DEMO_DIR)/kelvane/room.kvx; \
	else \
	  echo "No display here: starting Kelvane on a virtual screen."; \
	  KELVANE_SCREENSHOT=$(CURDIR)/$(DEMO_DIR)/kelvane-screen.png xvfb-run -a -s "$(SCREEN)" \
	    $(KAPP) $(DEMO_DIR)/kelvane/room.kvx; \
	  echo "A picture of the running program is in $(DEMO_DIR)/kelvane-screen.png."; \
	fi

# Starts Daubwell on the sample painting, the same way.
run-daubwell: demo
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(APP) $(DEMO_DIR)/demo.dwp; \
	else \
	  echo "No display here: starting Daubwell on a virtual screen."; \
	  DAUBWELL_SCREENSHOT=$(CURDIR)/$(DEMO_DIR)/daubwell-screen.png xvfb-run -a -s "$(SCREEN)" \
	    $(APP) $(DEMO_DIR)/demo.dwp; \
	  echo "A picture of the running program is in $(DEMO_DIR)/daubwell-screen.png."; \
	fi

demo: build
	@mkdir -p $(DEMO_DIR)
	$(CLI) demo $(DEMO_DIR)/demo.dwp
	$(CLI) render $(DEMO_DIR)/demo.dwp $(DEMO_DIR)/demo.png
	$(CLI) render $(DEMO_DIR)/demo.dwp $(DEMO_DIR)/demo-unlit.png --lighting off
	@echo "The sample painting is in $(DEMO_DIR)/demo.dwp; its lit picture is $(DEMO_DIR)/demo.png"
	@echo "(and without lighting, $(DEMO_DIR)/demo-unlit.png)."
	$(KCLI) demo $(DEMO_DIR)/kelvane
	$(KCLI) batch $(DEMO_DIR)/kelvane/curtain.kvx --object 0 --textures $(DEMO_DIR)/kelvane/fabrics \
	  --out $(DEMO_DIR)/kelvane/catalogue
	@echo "The sample room is $(DEMO_DIR)/kelvane/room.png; the curtain draped with a tartan is"
	@echo "$(DEMO_DIR)/kelvane/draped.png, and one picture per fabric is in $(DEMO_DIR)/kelvane/catalogue/."
	@echo "A sofa modelled by the demo is $(DEMO_DIR)/kelvane/sofa.png, made with its scene sofa.kv; imported,"
	@echo "its cushions are draped in $(DEMO_DIR)/kelvane/sofa-draped.png."

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The tests again under AddressSanitizer and UndefinedBehaviorSanitizer. The model reader's
# memory limit is an address-space limit, which the sanitizer's shadow memory rules out:
# instead no single allocation may exceed the same 4 GB, so a model that asks for more
# fails at once instead of paging through tens of gigabytes.
ASAN_TEST_OPTIONS ?= max_allocation_size_mb=4096
sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=address,undefined -DBUILD_BENCHMARKS=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  ASAN_OPTIONS=$(ASAN_TEST_OPTIONS) ctest --output-on-failure -j $(JOBS)

# The item swapper's threads under ThreadSanitizer.
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=thread -DBUILD_BENCHMARKS=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target kelvane_thread_tests
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/kelvane/kelvane_thread_tests

bench: build
	$(BUILD)/bench/daubwell_bench
	$(BUILD)/bench/kelvane_bench
	$(BUILD)/bench/kelvane_project_bench
	$(BUILD)/bench/kelvane_filters_bench
	$(BUILD)/bench/kelvane_filterdialogs_bench
	$(BUILD)/bench/kelvane_select_bench
	$(BUILD)/bench/kelvane_drape_bench
	$(BUILD)/bench/kelvane_scene_bench
	$(BUILD)/bench/kelvane_texlib_bench
	$(BUILD)/bench/daubwell_frame_bench
	$(BUILD)/bench/kelvane_app_bench

# Each fuzz target for FUZZ_SECONDS, keeping its corpus under fuzz/corpus/.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DBUILD_APPS=OFF \
	  -DBUILD_BENCHMARKS=OFF -DSANITIZE=address,undefined
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for t in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	  name=$$(basename $$t); mkdir -p fuzz/corpus/$$name; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	    $$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/ fuzz/corpus/$$name || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
