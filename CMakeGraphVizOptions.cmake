# What `cmake --graphviz` draws for docs/libraries.svg: the program's own
# libraries and executables, without tests, benchmarks and system libraries.
set(GRAPHVIZ_GRAPH_NAME "Kvilbro")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^tst_" "^bench_" "^kvilbro_testcommon$" "^kvilbro_benchcommon$" "^kvilbro_reporttest$"
    "^crash_poster$" "_autogen")
