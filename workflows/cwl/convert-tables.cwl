#!/usr/bin/env cwl-runner
cwlVersion: v1.2
class: Workflow
label: convert many tables
doc: |
  Runs pellacor-convert.cwl once for each table, every one with the same options. A runner
  that sends steps to a cluster (toil-cwl-runner --batchSystem slurm, for one) runs these
  conversions as separate jobs.

requirements:
  ScatterFeatureRequirement: {}

inputs:
  tables: File[]
  line_width: int?
  id_column: string?
  sequence_column: string?
  description_column: string?
  sheet: string?
  comment_char: string?

outputs:
  fasta:
    type: File[]
    outputSource: convert/fasta

steps:
  convert:
    run: pellacor-convert.cwl
    scatter: table
    in:
      table: tables
      line_width: line_width
      id_column: id_column
      sequence_column: sequence_column
      description_column: description_column
      sheet: sheet
      comment_char: comment_char
    out: [fasta]
