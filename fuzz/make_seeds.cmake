# Sorts the demo game's compiled files and its archives into one seed folder
# per fuzz target.  Run by the custom command in fuzz/CMakeLists.txt with
# -DDEMO=<vrc's output> -DPACKS=<folder of the vrpack images> -DSEEDS=<out>
# -DCSV=<folder of CSV files>.
file(GLOB engine_files ${DEMO}/vrbin/*.vbn)
file(GLOB scripts ${DEMO}/vrbin/vrt[0-9]*.vbn)
file(GLOB packs ${PACKS}/*.vpf)
foreach(target engine_files_fuzz script_run_fuzz pack_index_fuzz pack_archive_fuzz)
  file(REMOVE_RECURSE ${SEEDS}/${target})
  file(MAKE_DIRECTORY ${SEEDS}/${target})
endforeach()
file(COPY ${engine_files} DESTINATION ${SEEDS}/engine_files_fuzz)
file(COPY ${scripts} DESTINATION ${SEEDS}/script_run_fuzz)
file(COPY ${packs} DESTINATION ${SEEDS}/pack_index_fuzz)
file(COPY ${packs} DESTINATION ${SEEDS}/pack_archive_fuzz)
# The CSV scanner starts from the tests' CSV files.
file(GLOB csv_files ${CSV}/*.csv)
file(REMOVE_RECURSE ${SEEDS}/csv_scan_fuzz)
file(MAKE_DIRECTORY ${SEEDS}/csv_scan_fuzz)
file(COPY ${csv_files} DESTINATION ${SEEDS}/csv_scan_fuzz)
