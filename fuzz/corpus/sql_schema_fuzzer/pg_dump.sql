--
-- PostgreSQL database dump
--
\restrict AbC
SET statement_timeout = 0;
SELECT pg_catalog.set_config('search_path', '', false);
CREATE TYPE public.mood AS ENUM ('sad', 'ok');
CREATE FUNCTION public.touch() RETURNS trigger LANGUAGE plpgsql AS $_$
BEGIN NEW.changed := now(); RETURN NEW; END; $_$;
CREATE TABLE public."Users" (
    id integer NOT NULL,
    name character varying(40) DEFAULT 'x'::character varying NOT NULL,
    tags integer[],
    price numeric(10,2) CHECK ((price > (0)::numeric)),
    seen timestamp without time zone DEFAULT now()
);
ALTER TABLE public."Users" OWNER TO admin;
CREATE SEQUENCE public.users_id_seq AS integer START WITH 1 INCREMENT BY 1 NO MINVALUE NO MAXVALUE CACHE 1;
ALTER TABLE ONLY public."Users" ALTER COLUMN id SET DEFAULT nextval('public.users_id_seq'::regclass);
COPY public."Users" (id, name) FROM stdin;
1	a
\.
ALTER TABLE ONLY public."Users" ADD CONSTRAINT users_pkey PRIMARY KEY (id);
CREATE TABLE public.orders (id bigint NOT NULL, user_id integer CONSTRAINT o_u REFERENCES public."Users"(id) DEFERRABLE);
ALTER TABLE ONLY public.orders ADD CONSTRAINT orders_fk FOREIGN KEY (user_id) REFERENCES public."Users"(id) ON DELETE CASCADE;
COMMENT ON TABLE public.orders IS E'it\'s';
GRANT ALL ON TABLE public.orders TO PUBLIC;
